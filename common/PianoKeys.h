#pragma once

// The instrument's 88 keys, A0 to C8, counted by key index from 0: key k
// sounds note number firstKeyNote + k. The link, the controls and the panel
// all count keys this way, so it stands below each of them.
namespace PianoKeys
{
constexpr int keyCount = 88;
constexpr int firstKeyNote = 21;
} // namespace PianoKeys
