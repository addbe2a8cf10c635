#include "dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
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

TModalResult ShowOkBox(TMessageKind Kind, const QString& Title, const QString& Text)
{
    if (Hook())
        return Hook()({Kind, Title, Text});
    QMessageBox Box(Kind == TMessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon, Title, Text,
                    QMessageBox::Ok, QApplication::activeWindow());
    Box.exec();
    return TModalResult::Ok;
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

    // A plain dialog rather than QMessageBox: the button order must be Yes, No, Cancel on every
    // platform, where QMessageBox reorders buttons by the desktop's conventions.
    QDialog Box(QApplication::activeWindow());
    Box.setWindowTitle(QStringLiteral("Confirm"));
    auto* Icon = new QLabel;
    const int IconSize = Box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &Box);
    Icon->setPixmap(Box.style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, &Box).pixmap(IconSize));
    auto* Label = new QLabel(Text);
    auto* Yes = new QPushButton(QStringLiteral("&Yes"));
    auto* No = new QPushButton(QStringLiteral("&No"));
    auto* Cancel = new QPushButton(QStringLiteral("Cancel"));
    Yes->setDefault(true);

    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(Yes);
    Buttons->addWidget(No);
    Buttons->addWidget(Cancel);
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

    TModalResult Result = TModalResult::Cancel; // Esc and the close box reject the dialog
    QObject::connect(Yes, &QPushButton::clicked, &Box, [&] {
        Result = TModalResult::Yes;
        Box.accept();
    });
    QObject::connect(No, &QPushButton::clicked, &Box, [&] {
        Result = TModalResult::No;
        Box.accept();
    });
    QObject::connect(Cancel, &QPushButton::clicked, &Box, [&] {
        Result = TModalResult::Cancel;
        Box.reject();
    });

    Box.adjustSize();
    if (QScreen* Screen = QGuiApplication::primaryScreen())
        Box.move(Screen->availableGeometry().center() - Box.rect().center());
    Box.exec();
    return Result;
}
