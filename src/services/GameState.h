#pragma once
// One screen of the game (menu, picture, play, pause, options, replays). The game creates each
// screen the first time it is asked for it and keeps it to the end; changing screens never
// destroys one.
//
// A screen is asked for by its id. Adding one: its class in its own file, its id below, and
// its line in the screen table (game/Screens.cpp), which is the one list of what exists.

class CGame;

enum GameStateId {
    STATE_MENU = 0,
    STATE_SPLASHSCREEN = 1,
    STATE_PLAY = 2,
    STATE_PAUSE = 3,
    STATE_OPTIONS = 4,
    STATE_REPLAYS = 5,
};

class CGameState {
public:
    explicit CGameState(CGame* game_) : game(game_) {}
    CGameState(const CGameState&) = delete;
    CGameState& operator=(const CGameState&) = delete;
    virtual ~CGameState() = default;

    virtual void Update(double frameTime) = 0;
    virtual void Render() = 0;
    // A screen that changes only on the player's input (the menu, the pictures): the main loop
    // then waits for input instead of drawing the same frame again and again.
    virtual bool WaitsForInput() const { return false; }
    // ESC ends the game on this screen (the menu, the pictures); screens that answer ESC
    // themselves (play pauses, the pause screen resumes, the options go back) say false.
    virtual bool EscapeEndsGame() const { return true; }
    // Called each time the state becomes current.
    virtual void Enter() = 0;
    // Called once, at the end of the concrete state's constructor.
    virtual void Init() = 0;

    CGame* GetGame() const { return game; }

protected:
    CGame* const game;  // not owned
};
