// The cast set-up.
#include "cast.h"

#include "catalogue.h"
#include "scene.h"

namespace {

constexpr int charactersPerSecond = 13; // frames per second of every character's animation
constexpr float walkSpeed = 90.0f;      // pixels per second

} // namespace

void setUpCast() {
    // The backdrop, drawn whole; the largest layer puts it at the back.
    sprite.Init("001.gif", 0, 0, screen);
    sprite.setLayer(50);
    se.addSprite(sprite);

    // Basil in the foreground, facing right.
    sprite.Init("basil.gif", 30, 470, screen);
    sprite.setLayer(30);
    sprite.setPatternColor(true, 0, 0, 0);
    sprite.setAnimation(true, 90);
    sprite.setAnimSpeed(charactersPerSecond);
    sprite.setMoveSpeed(walkSpeed);
    sprite.playAnimation(bStandRight);
    se.addSprite(sprite);

    // Basil on the ledge, facing left: the one who walks.
    sprite.Init("basil.gif", 560, 195, screen);
    sprite.setLayer(30);
    sprite.setPatternColor(true, 0, 0, 0);
    sprite.setAnimation(true, 90);
    sprite.setMoveSpeed(walkSpeed);
    sprite.setAnimSpeed(charactersPerSecond);
    sprite.playAnimation(bStandLeft);
    se.addSprite(sprite);

    // Om; keeps the move speed set before, like the egg.
    sprite.Init("om.gif", 100, 320, screen);
    sprite.setLayer(40);
    sprite.setPatternColor(true, 0, 0, 0);
    sprite.setAnimation(true, 180);
    sprite.setAnimSpeed(charactersPerSecond);
    sprite.playAnimation(omStand);
    se.addSprite(sprite);

    // The egg, still in pieces.
    sprite.Init("egg.gif", 650, 420, screen);
    sprite.setLayer(40);
    sprite.setPatternColor(true, 0, 0, 0);
    sprite.setAnimation(true, 70);
    sprite.setAnimSpeed(charactersPerSecond);
    sprite.playAnimation(eggBuild0);
    se.addSprite(sprite);
}
