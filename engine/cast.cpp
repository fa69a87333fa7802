// The cast set-up.
#include "cast.h"

#include "catalogue.h"
#include "picture_faults.h"
#include "scene.h"

namespace {

constexpr int charactersPerSecond = 13; // frames per second of every character's animation
constexpr float walkSpeed = 90.0f;      // pixels per second

constexpr const char* backdropPicture = "001.gif";
constexpr const char* basilPicture = "basil.gif";
constexpr const char* omPicture = "om.gif";
constexpr const char* eggPicture = "egg.gif";

constexpr const char* oddStrip = "it is shown with the frame layout of the member set up before";

} // namespace

void setUpCast() {
    // The backdrop, drawn whole; the largest layer puts it at the back.
    sprite.Init(backdropPicture, 0, 0, screen);
    reportIfMissing(backdropPicture, sprite,
                    "the scene has no backdrop: nothing clears the screen, so everything smears");
    reportIfNotCovering(backdropPicture, sprite, screen->w, screen->h);
    sprite.setLayer(50);
    se.addSprite(sprite);

    // Basil in the foreground, facing right.
    sprite.Init(basilPicture, 30, 470, screen);
    reportIfMissing(basilPicture, sprite, "both basils are left out");
    sprite.setLayer(30);
    sprite.setPatternColor(true, 0, 0, 0);
    sprite.setAnimation(true, 90);
    reportIfNoStrip(basilPicture, sprite, 90, oddStrip);
    sprite.setAnimSpeed(charactersPerSecond);
    sprite.setMoveSpeed(walkSpeed);
    sprite.playAnimation(bStandRight);
    se.addSprite(sprite);

    // Basil on the ledge, facing left: the one who walks.
    sprite.Init(basilPicture, walkerHomeX, walkerHomeY, screen);
    // Each basil loads his own copy, so the second load can be refused alone (by the budget).
    reportIfMissing(basilPicture, sprite, "the basil on the ledge is left out");
    sprite.setLayer(30);
    sprite.setPatternColor(true, 0, 0, 0);
    sprite.setAnimation(true, 90);
    sprite.setMoveSpeed(walkSpeed);
    sprite.setAnimSpeed(charactersPerSecond);
    sprite.playAnimation(bStandLeft);
    se.addSprite(sprite);

    // Om; keeps the move speed set before, like the egg.
    sprite.Init(omPicture, 100, 320, screen);
    reportIfMissing(omPicture, sprite, "om is left out");
    sprite.setLayer(40);
    sprite.setPatternColor(true, 0, 0, 0);
    sprite.setAnimation(true, 180);
    reportIfNoStrip(omPicture, sprite, 180, oddStrip);
    sprite.setAnimSpeed(charactersPerSecond);
    sprite.playAnimation(omStand);
    se.addSprite(sprite);

    // The egg, still in pieces.
    sprite.Init(eggPicture, 650, 420, screen);
    reportIfMissing(eggPicture, sprite, "the egg is left out");
    sprite.setLayer(40);
    sprite.setPatternColor(true, 0, 0, 0);
    sprite.setAnimation(true, 70);
    reportIfNoStrip(eggPicture, sprite, 70, oddStrip);
    sprite.setAnimSpeed(charactersPerSecond);
    sprite.playAnimation(eggBuild0);
    se.addSprite(sprite);
}
