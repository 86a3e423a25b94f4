/* The public header must stay plain C: this file compiles as C and calls through it. */
#include "Lumo_Image_BmpJpg.h"

int32_t bmpjpg_convert_from_c(const char* bmpPath, const char* jpgPath);

int32_t bmpjpg_convert_from_c(const char* bmpPath, const char* jpgPath) {
    return LIBmpToJpg(bmpPath, jpgPath, 80, 1);
}
