#pragma once

// The edits of the editor that tst_recovery kills, and a digest of a window's level and history. The child
// process makes the edits in its window; the test makes the same ones in a window of its own, to know what
// the level and its history were after any number of them.

#include "cellcommands.h"
#include "dialogs.h"
#include "drawgrid.h"
#include "levelfile.h"
#include "main.h"
#include "palettebar.h"
#include "trailercommand.h"

#include <QAction>
#include <QTest>

#include <cstdint>
#include <optional>
#include <string>

namespace RecoveryEdits {

struct TTextAnswer {
    explicit TTextAnswer(const QString& Text)
    {
        SetTextHook([Text](const TTextRequest&) { return std::optional<QString>(Text); });
    }
    ~TTextAnswer() { SetTextHook({}); }
    TTextAnswer(const TTextAnswer&) = delete;
    TTextAnswer& operator=(const TTextAnswer&) = delete;
};

// Edit number Op: a cell painted with a brick of its own, an undo, a redo, a drag over three cells, a
// flip or a shift of the whole level, or a new text for the level.
inline void Make(TMainForm& Form, int Op)
{
    auto* Grid = Form.findChild<TDrawGrid*>("dgrdField");
    const int Col = (Op * 7) % LevelColumns;
    const int Row = (Op * 3 + Op / LevelColumns) % LevelRows;
    const auto At = [Grid, Row](int C) { return Grid->CellRect(C % LevelColumns, Row).center(); };
    switch (Op % 10) {
    case 3:
    case 6:
        Form.findChild<QAction*>("menUndo")->trigger();
        break;
    case 8:
        Form.findChild<QAction*>("menRedo")->trigger();
        break;
    case 5: {
        const char* const Blocks[] = {"menFlipHorizontally", "menShiftDown", "menFlipVertically", "menShiftLeft"};
        Form.findChild<QAction*>(Blocks[(Op / 10) % 4])->trigger();
        break;
    }
    case 7: {
        const TTextAnswer Answer(QStringLiteral("Text %1").arg(Op));
        Form.findChild<QAction*>("menLevelText")->trigger();
        break;
    }
    case 9:
        QTest::mousePress(Grid, Qt::LeftButton, {}, At(Col));
        QTest::mouseMove(Grid, At(Col + 1));
        QTest::mouseMove(Grid, At(Col + 2));
        QTest::mouseRelease(Grid, Qt::LeftButton, {}, At(Col + 2));
        break;
    default:
        QTest::mouseClick(Form.findChild<TPaletteToolBar*>("tbBricks")->Buttons().at(Op % 10), Qt::LeftButton);
        QTest::mouseClick(Grid, Qt::LeftButton, {}, At(Col));
    }
}

// FNV-1a over the level as its file holds it, where the history stands, and each step's name and cells
// or texts.
inline std::uint64_t Digest(const TMainForm& Form)
{
    std::string Text = FormatLevel(Form.Level()) + std::to_string(Form.History().index()) + "\n";
    for (int Step = 0; Step < Form.History().count(); ++Step) {
        const QUndoCommand* Command = Form.History().command(Step);
        Text += Command->text().toStdString();
        if (const auto* Edit = dynamic_cast<const TCellEditCommand*>(Command)) {
            for (const TCellChange& C : Edit->Diff().Changes())
                for (int Byte : {C.Col, C.Row, C.Before.Brick, C.Before.PowerUp, C.After.Brick, C.After.PowerUp})
                    Text += static_cast<char>(Byte);
        } else if (const auto* Trailer = dynamic_cast<const TTrailerCommand*>(Command)) {
            Text += "\n" + Trailer->Before() + "\n" + Trailer->After();
        } else {
            Text += "?";
        }
        Text += "\n";
    }
    std::uint64_t Hash = 14695981039346656037ull;
    for (const char Byte : Text)
        Hash = (Hash ^ static_cast<std::uint8_t>(Byte)) * 1099511628211ull;
    return Hash;
}

} // namespace RecoveryEdits
