/* Compiled as C: the public header must stay plain C, and the entry points must have the
 * function types a loader casts dlsym's result to. */
#include "QRCodeLib.h"

typedef int32_t (*FastQRCodeFn)(const char*, const char*);
typedef int32_t (*FastQRCodeNFn)(const char*, int32_t, const char*);
typedef int32_t (*QRCodeLibVerFn)(void);

int32_t qrclCallFromC(const char* text, const char* path) {
    const FastQRCodeFn fast = FastQRCode;
    const FastQRCodeNFn fastN = FastQRCodeN;
    const QRCodeLibVerFn version = QRCodeLibVer;
    return version() == 0 ? -1 : fastN == 0 ? -1 : fast(text, path);
}
