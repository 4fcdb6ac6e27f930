// The fixed sizes of a run's tables, shared by every part of its state.
#pragma once

constexpr int kMaxDirectories = 1000;  // row 0 is the card's root
constexpr int kNameTableRows = 256;
constexpr int kMaxIndexGroups = 255;
constexpr int kImagePlaneBytes = 1024;
constexpr int kStripBytes = 128;
constexpr int kPathTextBytes = 128;
constexpr int kMaxPathBytes = 47;  // longest folder path the player takes
