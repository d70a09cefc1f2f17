#pragma once
// The icons of the folder tree: one strip of 15 pictures of 17 x 16 pixels, drawn here.
#include <QImage>

namespace folder_images {

constexpr int kWidth = 17;
constexpr int kHeight = 16;
constexpr int kCount = 15;

// Positions in the strip.
enum Index : int {
    kOpenFolder = 0,
    kClosedFolder = 1,
    kRemovableDrive = 2,
    kFixedDrive = 3,
    kNetworkDrive = 4,
    kDiscDrive = 5,
    kRamDrive = 6,
    kComputers = 7,
    // 8 to 14: network containers (domain, server, share, file, group, network, root)
};

// The strip, kCount pictures side by side, on a transparent background.
QImage Strip();

}  // namespace folder_images
