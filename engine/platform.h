// What the program does differently on each system: CMake builds platform_posix.cpp or
// platform_windows.cpp into the scene.
#pragma once

// Makes the folder the pictures are read from the working directory; false, having said why,
// when it cannot.
bool enterPicturesFolder();

// Asks the video system for what the program wants of it by default, before SDL starts; what
// the user has set in the environment stays.
void setVideoDefaults();

// False, having said why, when there is plainly no display for SDL to open.
bool displayExpected();

// Called every frame in a host's window: a frame loop that stops coming round ends the process.
void putOffStallEnd();

// Once the screen is open: losing the display (its server ended or crashed) ends the process at
// once with status 1, having said so, instead of leaving it hung on a connection that is gone.
void endWhenTheDisplayGoes();

// Once the screen is open, where the SDL runtime shows each frame as soon as it is drawn
// rather than at the display's refresh: has every frame from then on wait in awaitTheDisplay()
// for the display to be ready for the next one. Elsewhere, and on SDL's dummy screen, nothing.
void keepToTheDisplaysPace();

// Called once a frame, after the flip.
void awaitTheDisplay();

// Standalone on a screen whose windows nobody manages: makes the full-screen window cover the
// screen, as a window manager would have.
void fillScreenWithoutWindowManager();

// Standalone on a desktop of several monitors, the first process, its own screen open, starts a
// copy of itself on each further monitor, tells each copy its monitor in the environment, ends
// them all when it ends and ends itself when a copy ends at the viewer's request. In a copy, or
// on a single monitor, it only starts following the monitors.
void playOnEveryMonitor(char* argv[]);

// Called every frame, standalone, and returns at once unless the monitors changed since: then a
// monitor that came gets a copy, one that went has its copy ended, and this process's window
// follows its own monitor's new place and size.
void followMonitors();
