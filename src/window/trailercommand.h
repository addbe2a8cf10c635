#pragma once

#include <QUndoCommand>

#include <string>

class TLevelDocument;

// One step of the editor's history: the level's text changed from Before to After. Pushing it makes the
// change; undo and redo write the text back, and each marks the level changed.
class TTrailerCommand : public QUndoCommand {
public:
    TTrailerCommand(const QString& Text, TLevelDocument& Document, std::string Before, std::string After);

    void undo() override;
    void redo() override;

    const std::string& Before() const { return FBefore; }
    const std::string& After() const { return FAfter; }

private:
    TLevelDocument& FDocument;
    std::string FBefore;
    std::string FAfter;
};
