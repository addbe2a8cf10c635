#pragma once

#include "dialogs.h"

#include <QList>

#include <deque>

// Records every message box the code under test would show and answers questions from a queue, one
// answer per question of either kind, so that tests never open a real modal dialog.
class TMessageCapture {
public:
    TMessageCapture()
    {
        SetMessageHook([this](const TMessageRequest& Request) {
            Shown.append(Request);
            if (Request.Kind != TMessageKind::Question && Request.Kind != TMessageKind::YesNoQuestion)
                return TModalResult::Ok;
            // An unexpected question gets the answer that loses nothing and writes nothing.
            if (Answers.empty())
                return Request.Kind == TMessageKind::Question ? TModalResult::Cancel : TModalResult::No;
            const TModalResult Answer = Answers.front();
            Answers.pop_front();
            return Answer;
        });
    }
    ~TMessageCapture() { SetMessageHook({}); }
    TMessageCapture(const TMessageCapture&) = delete;
    TMessageCapture& operator=(const TMessageCapture&) = delete;

    QList<TMessageRequest> Shown;
    std::deque<TModalResult> Answers;

    int Count(TMessageKind Kind) const
    {
        int N = 0;
        for (const TMessageRequest& Request : Shown)
            N += Request.Kind == Kind;
        return N;
    }
};
