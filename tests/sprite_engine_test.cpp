// The sprite engine's layer order, judged by which sprite ends up on top.
#include "pictures.h"
#include "screen.h"
#include "spriteengine.h"

namespace {

class SpriteEngineTest : public ScreenTest {
  protected:
    CSpriteEngine engine;

    // A 20x20 square of one colour at (0, 0), remembered by its colour.
    void add(int layer, Uint32 rgb) {
        CSprite s;
        const std::string name = "square" + std::to_string(rgb) + ".gif";
        s.Init(writePicture(name, 20, 20, [=](int, int) { return rgb; }).c_str(), 0, 0, screen);
        ASSERT_NE(s.image, nullptr) << SDL_GetError();
        s.setLayer(layer);
        engine.addSprite(s);
    }
    Uint32 colourOf(int index) { return pixelAt(engine.sprites[index].image, 0, 0); }
};

TEST_F(SpriteEngineTest, EmptyEngineDoesNothing) {
    EXPECT_EQ(engine.lastIndex, -1);
    fill(screen, 0x0000F8);
    engine.updateFPS(50);
    engine.drawAll();
    EXPECT_TRUE(showsColour(screen, 0, 0, 0x0000F8));

    add(5, 0xF80000);
    EXPECT_EQ(engine.lastIndex, 0);
    EXPECT_EQ(engine.sprites.size(), 1u);
}

TEST_F(SpriteEngineTest, InsertionIsStableAndTheNearestLayerIsPaintedLast) {
    const Uint32 first = 0xF80000, second = 0x00FC00, third = 0x0000F8, fourth = 0xF8FC00,
                 fifth = 0x00FCF8;
    add(50, first);
    add(30, second);
    add(30, third);
    add(40, fourth);
    add(40, fifth);

    ASSERT_EQ(engine.lastIndex, 4);
    const Uint32 expected[] = {second, third, fourth, fifth, first};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(colourOf(i), mapped(screen, expected[i])) << "index " << i;

    engine.drawAll();
    EXPECT_TRUE(showsColour(screen, 10, 10, second)) << "the first layer-30 sprite lies in front";

    // Of two equal layers, the one added earlier lies in front.
    CSpriteEngine backOnly;
    backOnly.addSprite(engine.sprites[2]);
    backOnly.addSprite(engine.sprites[3]);
    backOnly.addSprite(engine.sprites[4]);
    backOnly.drawAll();
    EXPECT_TRUE(showsColour(screen, 10, 10, fourth));
}

TEST_F(SpriteEngineTest, NewFrontLayerMovesToTheStartAndRateReachesAll) {
    add(10, 0xF80000);
    add(20, 0x00FC00);
    add(30, 0x0000F8);
    add(5, 0xF8FC00);
    EXPECT_EQ(colourOf(0), mapped(screen, 0xF8FC00));
    EXPECT_EQ(colourOf(3), mapped(screen, 0x0000F8));

    engine.sprites[1].setLayer(99); // later changes do not move a sprite
    engine.updateFPS(42);
    for (const CSprite& s : engine.sprites)
        EXPECT_EQ(s.spriteFps, 42.0f);
    EXPECT_EQ(colourOf(1), mapped(screen, 0xF80000));
}

} // namespace
