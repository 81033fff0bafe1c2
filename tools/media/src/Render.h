// Painting of the page pictures and of the waiting animation (Qt, offscreen).
#pragma once

#include <QImage>
#include <QString>

#include "Gif.h"
#include "Languages.h"
#include "Layouts.h"

namespace zavro::media {

// Loads DejaVu Sans from the system's font folder; false when it is not installed (the
// pictures are then painted with Qt's default font).
bool LoadFonts();

// An 800 x 600 page picture. lang is null for the language choice page.
QImage RenderPage(const PageLayout& page, const Language* lang);

// The 333 x 95 animation of the result page, in the language's words.
GifAnimation BuildLoadingGif(const Language& lang);

}  // namespace zavro::media
