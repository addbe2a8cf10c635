#pragma once

#include <QString>

#include <functional>
#include <optional>

enum class TModalResult { Ok, Yes, No, Cancel };
// Question is the Yes/No/Cancel box, YesNoQuestion the Yes/No one: tests tell the two apart by it.
enum class TMessageKind { Error, Plain, Question, YesNoQuestion };

struct TMessageRequest {
    TMessageKind Kind;
    QString Title;
    QString Text;
};

// Tests answer message boxes through this hook instead of a real modal loop. While a hook is set no box
// is shown; the hook's answer is what the box would have returned. Pass an empty function to remove it.
using TMessageHook = std::function<TModalResult(const TMessageRequest&)>;
void SetMessageHook(TMessageHook Hook);

// Error icon, one OK button.
TModalResult ShowErrorBox(const QString& Title, const QString& Text);
// No icon, one OK button.
TModalResult ShowPlainBox(const QString& Title, const QString& Text);
// Question icon, centred on the screen, buttons Yes, No, Cancel in that order with Yes the default;
// Esc and the close box answer Cancel.
TModalResult AskYesNoCancel(const QString& Text);
// Question icon, centred on the screen, buttons Yes and No with No the default; Esc and the close box
// answer No.
TModalResult AskYesNo(const QString& Text);

// A one-line text box: Title on the box, Label above the line, the line starting as Text with SelectLength
// characters selected from SelectFrom (-1: all of it).
struct TTextRequest {
    QString Title;
    QString Label;
    QString Text;
    int SelectFrom = 0;
    int SelectLength = -1;
};

// Tests answer text boxes through this hook instead of a real modal loop, as they answer message boxes:
// the text typed, or nothing for Cancel. Pass an empty function to remove it.
using TTextHook = std::function<std::optional<QString>(const TTextRequest&)>;
void SetTextHook(TTextHook Hook);

// Buttons OK (the default) and Cancel; Esc and the close box answer Cancel. Returns the text as it stands
// at OK, or nothing.
std::optional<QString> AskText(const TTextRequest& Request);
