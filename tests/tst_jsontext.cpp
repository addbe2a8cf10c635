// Trailer text in info's output: valid UTF-8 passes, each byte of an ill-formed sequence (overlong,
// surrogate, above U+10FFFF, cut short, stray) becomes U+FFFD, written \ufffd in JSON and as the character
// itself in the text form, which then reads exactly as the editor's caption (QString::fromUtf8) shows it.

#include "jsontext.h"
#include "levelfiletools.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace LevelFileTools;

class TestJsonText : public QObject {
    Q_OBJECT

private slots:
    void invalidUtf8BecomesReplacementCharacters_data()
    {
        QTest::addColumn<QByteArray>("Bytes");
        QTest::addColumn<QString>("Json");
        QTest::newRow("plain") << QByteArray("Castle") << "\"Castle\"";
        QTest::newRow("two, three and four bytes")
            << QByteArray("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80") << "\"\u00e9\u20ac\U0001F600\"";
        QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF") << "\"\U0010FFFF\"";
        QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF"
                                                      "b")
                                        << "\"a\\ufffd\\ufffdb\"";
        QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\xAF") << "\"\\ufffd\\ufffd\\ufffd\"";
        QTest::newRow("overlong four bytes") << QByteArray("\xF0\x8F\xBF\xBF") << "\"\\ufffd\\ufffd\\ufffd\\ufffd\"";
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << "\"\\ufffd\\ufffd\\ufffd\"";
        QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << "\"\\ufffd\\ufffd\\ufffd\\ufffd\"";
        QTest::newRow("lead bytes F5 to FF") << QByteArray("\xF5\xFF") << "\"\\ufffd\\ufffd\"";
        QTest::newRow("stray continuation") << QByteArray("x\x80y") << "\"x\\ufffdy\"";
        QTest::newRow("cut short at the end") << QByteArray("x\xE2\x82") << "\"x\\ufffd\\ufffd\"";
        QTest::newRow("cut short before a letter") << QByteArray("\xF0\x9F\x98z") << "\"\\ufffd\\ufffd\\ufffdz\"";
        QTest::newRow("Latin-1") << QByteArray("\xE9t\xE9") << "\"\\ufffdt\\ufffd\"";
        QTest::newRow("quotes and controls") << QByteArray("\"\\\t\x7F") << "\"\\\"\\\\\\u0009\\u007f\"";
    }

    void invalidUtf8BecomesReplacementCharacters()
    {
        QFETCH(QByteArray, Bytes);
        QFETCH(QString, Json);
        const std::string_view Text = View(Bytes);
        QCOMPARE(QString::fromStdString(JsonString(Text)), Json);
        QCOMPARE(QString::fromUtf8(QByteArray::fromStdString(ShownString(Text))),
                 QString(Json).replace("\\ufffd", QChar(0xFFFD)));
        // What a strict reader makes of the JSON is what the editor's caption shows.
        const QByteArray Document = "{\"t\": " + QByteArray::fromStdString(JsonString(Text)) + "}";
        QJsonParseError Error{};
        const QString Read = QJsonDocument::fromJson(Document, &Error).object()["t"].toString();
        QCOMPARE(Error.errorString(), QJsonParseError{}.errorString());
        QCOMPARE(Read, QString::fromUtf8(Bytes));
    }
};

QTEST_GUILESS_MAIN(TestJsonText)
#include "tst_jsontext.moc"
