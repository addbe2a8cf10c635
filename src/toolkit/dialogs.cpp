#include "dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

TMessageHook& Hook()
{
    static TMessageHook Instance;
    return Instance;
}

TTextHook& TextHook()
{
    static TTextHook Instance;
    return Instance;
}

TModalResult ShowOkBox(TMessageKind Kind, const QString& Title, const QString& Text)
{
    if (Hook())
        return Hook()({Kind, Title, Text});
    QMessageBox Box(Kind == TMessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon, Title, Text,
                    QMessageBox::Ok, QApplication::activeWindow());
    Box.exec();
    return TModalResult::Ok;
}

QString CaptionOf(TModalResult Answer)
{
    switch (Answer) {
    case TModalResult::Yes:
        return QStringLiteral("&Yes");
    case TModalResult::No:
        return QStringLiteral("&No");
    case TModalResult::Cancel:
        return QStringLiteral("Cancel");
    default:
        return QStringLiteral("OK");
    }
}

// A plain dialog rather than QMessageBox: the buttons must keep the order given on every platform, where
// QMessageBox reorders them by the desktop's conventions. Esc and the close box give Rejected.
TModalResult AskQuestion(const QString& Text, std::initializer_list<TModalResult> Answers, TModalResult Default,
                         TModalResult Rejected)
{
    QDialog Box(QApplication::activeWindow());
    Box.setWindowTitle(QStringLiteral("Confirm"));
    auto* Icon = new QLabel;
    const int IconSize = Box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &Box);
    Icon->setPixmap(Box.style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, &Box).pixmap(IconSize));
    auto* Label = new QLabel(Text);

    TModalResult Result = Rejected;
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    for (const TModalResult Answer : Answers) {
        auto* Button = new QPushButton(CaptionOf(Answer));
        if (Answer == Default) {
            // Enter answers the default, also before the user moves the focus.
            Button->setDefault(true);
            Button->setFocus();
        }
        Buttons->addWidget(Button);
        QObject::connect(Button, &QPushButton::clicked, &Box, [&Result, &Box, Answer] {
            Result = Answer;
            Box.done(QDialog::Accepted);
        });
    }
    Buttons->addStretch();
    auto* Message = new QHBoxLayout;
    Message->addWidget(Icon, 0, Qt::AlignTop);
    Message->addSpacing(12);
    Message->addWidget(Label, 1);
    auto* Layout = new QVBoxLayout(&Box);
    Layout->addLayout(Message);
    Layout->addSpacing(12);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);

    Box.adjustSize();
    if (QScreen* Screen = QGuiApplication::primaryScreen())
        Box.move(Screen->availableGeometry().center() - Box.rect().center());
    Box.exec();
    return Result;
}

} // namespace

void SetMessageHook(TMessageHook NewHook)
{
    Hook() = std::move(NewHook);
}

TModalResult ShowErrorBox(const QString& Title, const QString& Text)
{
    return ShowOkBox(TMessageKind::Error, Title, Text);
}

TModalResult ShowPlainBox(const QString& Title, const QString& Text)
{
    return ShowOkBox(TMessageKind::Plain, Title, Text);
}

TModalResult AskYesNoCancel(const QString& Text)
{
    if (Hook())
        return Hook()({TMessageKind::Question, QStringLiteral("Confirm"), Text});
    return AskQuestion(Text, {TModalResult::Yes, TModalResult::No, TModalResult::Cancel}, TModalResult::Yes,
                       TModalResult::Cancel);
}

TModalResult AskYesNo(const QString& Text)
{
    if (Hook())
        return Hook()({TMessageKind::YesNoQuestion, QStringLiteral("Confirm"), Text});
    return AskQuestion(Text, {TModalResult::Yes, TModalResult::No}, TModalResult::No, TModalResult::No);
}

void SetTextHook(TTextHook NewHook)
{
    TextHook() = std::move(NewHook);
}

std::optional<QString> AskText(const TTextRequest& Request)
{
    if (TextHook())
        return TextHook()(Request);
    QDialog Box(QApplication::activeWindow());
    Box.setWindowTitle(Request.Title);
    auto* Line = new QLineEdit(Request.Text);
    // A selection made before the box is shown survives the focus it gets then.
    const int Length = Request.SelectLength < 0 ? static_cast<int>(Request.Text.size()) : Request.SelectLength;
    Line->setSelection(Request.SelectFrom, Length);
    Line->setMinimumWidth(Line->fontMetrics().averageCharWidth() * 40);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(Buttons, &QDialogButtonBox::accepted, &Box, &QDialog::accept);
    QObject::connect(Buttons, &QDialogButtonBox::rejected, &Box, &QDialog::reject);
    auto* Layout = new QVBoxLayout(&Box);
    Layout->addWidget(new QLabel(Request.Label));
    Layout->addWidget(Line);
    Layout->addWidget(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);
    Line->setFocus();
    if (Box.exec() != QDialog::Accepted)
        return std::nullopt;
    return Line->text();
}
