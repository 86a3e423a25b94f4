/* Compiled as C: the public header must stay plain C, and the entry points must have the
 * function types a loader casts dlsym's result to. */
#include "QRCodeLib.h"

typedef int32_t (*FastQRCodeFn)(const char*, const char*);
typedef int32_t (*FastQRCodeNFn)(const char*, int32_t, const char*);

/* length < 0: through FastQRCode. */
int32_t qrclCallFromC(const char* text, int32_t length, const char* path) {
    const FastQRCodeFn fast = FastQRCode;
    const FastQRCodeNFn fastN = FastQRCodeN;
    return length < 0 ? fast(text, path) : fastN(text, length, path);
}
