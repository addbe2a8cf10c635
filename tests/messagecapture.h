#pragma once

#include "dialogs.h"

#include <QList>

#include <deque>

// Records every message box the code under test would show and answers questions from a queue,
// so that tests never open a real modal dialog.
class TMessageCapture {
public:
    TMessageCapture()
    {
        SetMessageHook([this](const TMessageRequest& Request) {
            Shown.append(Request);
            if (Request.Kind != TMessageKind::Question)
                return TModalResult::Ok;
            if (Answers.empty())
                return TModalResult::Cancel;
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
