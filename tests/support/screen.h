// A fixture that gives each test a fresh 800x600 16-bit screen on SDL's dummy driver.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

class ScreenTest : public testing::Test {
  protected:
    SDL_Surface* screen = nullptr;

    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        screen = SDL_SetVideoMode(800, 600, 16, SDL_SWSURFACE);
        ASSERT_NE(screen, nullptr) << SDL_GetError();
        ASSERT_EQ(screen->format->BitsPerPixel, 16);
    }
    void TearDown() override { SDL_Quit(); }
};
