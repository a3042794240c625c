// nuvcad's picture command (PNGOUT), which needs the renderer and so lives with the program.
#pragma once

void RegisterPictureCommand();
