#pragma once

#include <string>

#include "gallery/GalleryPage.h"

// The gallery page as one self-contained HTML file: its style and script
// inline (admitted by their hashes in the page's Content-Security-Policy,
// which lets nothing come from the network), a section per packet visit and
// a card per atlas; the images it shows are the files the paths name,
// relative to the page's folder. Every name goes through the escaping
// function of the context it lands in.
std::string renderGalleryPage(const GalleryPage& page);
