#include "leveltooltip.h"

#include "fieldpainter.h"

#include <QBuffer>
#include <QImage>

#include <exception>

QString LevelToolTip(const std::string& Path, const TFieldPictures& Pictures)
{
    TLevelData Level;
    try {
        LoadLevel(Path, Level);
    } catch (const std::exception& E) {
        return QStringLiteral("Cannot be read: ") + QString::fromLocal8Bit(E.what());
    }
    // The picture travels inside the text: a tool tip is one piece of rich text and loads no resources.
    QByteArray Png;
    QBuffer Buffer(&Png);
    Buffer.open(QIODevice::WriteOnly);
    RenderLevel(Level, Pictures).save(&Buffer, "PNG");
    QString Text = QStringLiteral("<qt><img src=\"data:image/png;base64,") + QString::fromLatin1(Png.toBase64()) +
        QStringLiteral("\"/>");
    if (!Level.TrailerText.empty())
        Text += QStringLiteral("<p style=\"white-space:pre\">") +
            QString::fromUtf8(Level.TrailerText.data(), static_cast<qsizetype>(Level.TrailerText.size()))
                .toHtmlEscaped() +
            QStringLiteral("</p>");
    return Text + QStringLiteral("</qt>");
}
