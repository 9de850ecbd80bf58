#include "tesselet/window/ThumbnailMakerStartUp.h"

int main(int argc, char** argv) { return tesselet::RunThumbnailMaker(argc, argv); }
