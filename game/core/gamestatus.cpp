#include "gamestatus.h"

namespace {

std::string Message(const TGameState& State)
{
    switch (State.Phase) {
    case TGamePhase::Lost:
        return "Game over";
    case TGamePhase::Won:
        // Won before the first step: the level never had anything to break.
        return State.Steps == 0 ? "Level cleared! (this level has no breakable brick)" : "Level cleared!";
    case TGamePhase::Ready:
        return State.Paused ? "Paused" : "Press Space to launch";
    case TGamePhase::Playing:
        break;
    }
    if (State.Paused)
        return "Paused";
    std::string Text;
    auto Add = [&Text](const std::string& Part) { Text += (Text.empty() ? "" : ", ") + Part; };
    if (State.ShotsLoaded == 1)
        Add("Space fires a shot");
    else if (State.ShotsLoaded > 1)
        Add("Space fires " + std::to_string(State.ShotsLoaded) + " shots");
    if (State.IronStepsLeft > 0)
        Add("Iron ball");
    if (State.WallActive)
        Add("Wall");
    return Text;
}

} // namespace

std::string GameStatusLine(const TGameState& State)
{
    const std::string Text = Message(State);
    return "Lives " + std::to_string(State.Lives) + (Text.empty() ? "" : "  |  " + Text);
}
