// The named frame ranges of the characters' picture strips.
#pragma once

#include "spriteengine.h"

// clang-format off
//                                          first  last   frames
// "basil.gif", 90-pixel frames
inline constexpr CAnimation bStandRight  {    0,    8 };  //  9
inline constexpr CAnimation bStandLeft   {    9,   17 };  //  9
inline constexpr CAnimation bSpeakRight  {   18,   32 };  // 15
inline constexpr CAnimation bSpeakLeft   {   33,   47 };  // 15
inline constexpr CAnimation bRollR2L     {   48,   59 };  // 12, ends facing left
inline constexpr CAnimation bRollL2R     {   60,   71 };  // 12, ends facing right
inline constexpr CAnimation bMoveRight   {   70,   80 };  // 11, opens on the roll's last two
inline constexpr CAnimation bMoveLeft    {   81,   91 };  // 11
inline constexpr CAnimation bDeathRight  {   92,  102 };  // 11
inline constexpr CAnimation bDeathLeft   {  103,  113 };  // 11
inline constexpr CAnimation bAttackRight {  114,  123 };  // 10
inline constexpr CAnimation bAttackLeft  {  124,  133 };  // 10
// "om.gif", 180-pixel frames
inline constexpr CAnimation omStand      {    0,    0 };  //  1
inline constexpr CAnimation omPain       {    1,   13 };  // 13
// "egg.gif", 70-pixel frames
inline constexpr CAnimation eggBuild0    {    0,    0 };  //  1
inline constexpr CAnimation eggBuild1    {    1,   12 };  // 12
inline constexpr CAnimation eggStand     {   13,   13 };  //  1
inline constexpr CAnimation eggPain      {   13,   25 };  // 13, back to standing at the end
// clang-format on
