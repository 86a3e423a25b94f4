/*
 * QRCodeLib: turns a text into a QR code picture file.
 *
 * Plain C interface, usable from C and C++ and loadable by name at run time ("QRCodeLib"):
 * every function returns QRCL_OK or one of the QRCL_ERR_* codes below and never lets a C++
 * exception out. Texts and paths are UTF-8.
 *
 * Encoding: pure ASCII text goes in as it is, each run in its most compact mode (digits,
 * upper-case letters, bytes), or as plain bytes where short runs would make that form too long. Any other text goes in as its UTF-8 bytes behind an ECI 26
 * (UTF-8) marker, so that readers do not guess another character set.
 *
 * Error correction: the highest level (H, then Q) that needs no larger symbol than level M;
 * level M otherwise; level L only for a text that fits nowhere else.
 *
 * Picture: black modules on white, a quiet zone of 4 modules on every side, every module a
 * square of the same whole number of pixels, the largest that keeps the picture within
 * QRCL_PICTURE_LIMIT pixels a side. Written as an uncompressed 24-bit BMP.
 *
 * A written file is complete or absent: the bytes go to an anonymous file in the target's
 * folder, are flushed to disk, and only then take the target's name, so not even a killed
 * process leaves a part behind (where the file system has no anonymous files, a hidden
 * ".lumo-" name is used meanwhile). After any failure a file already at the target is
 * untouched. A read-only file at the target is not replaced; a symbolic link there is replaced
 * itself, never written through: the path is a working file, not a person's.
 * QRCodeLibLastError tells why a write failed.
 *
 * Checks run in this order, before anything is written: QRCL_ERR_ARGUMENT, QRCL_ERR_EMPTY,
 * QRCL_ERR_NUL, QRCL_ERR_ENCODING, QRCL_ERR_TOO_LONG.
 */
#ifndef QRCODELIB_H
#define QRCODELIB_H

#include <stdint.h>

#include "qrcodelib_export.h"

#ifdef __cplusplus
extern "C" {
#endif

#define QRCL_OK 0
#define QRCL_ERR_ARGUMENT 1   /* null pointer or empty path */
#define QRCL_ERR_EMPTY 2      /* empty text */
#define QRCL_ERR_TOO_LONG 3   /* fits no QR version at any level */
#define QRCL_ERR_NUL 4        /* text holds a NUL byte (only detectable through FastQRCodeN) */
#define QRCL_ERR_ENCODING 5   /* text is not valid UTF-8 */
#define QRCL_ERR_WRITE 6      /* the file could not be written */
#define QRCL_ERR_INTERNAL 7   /* out of memory or encoder failure */

#define QRCL_PICTURE_LIMIT 201  /* the picture never exceeds this many pixels a side */

/*
 * Writes the QR code of a zero-terminated text as a BMP file.
 *
 * In:  text  zero-terminated UTF-8 text, at least one byte. The largest texts (version 40,
 *            level L): 7089 digits; 4296 of upper-case letters, digits and " $%*+-./:";
 *            2953 bytes of any other ASCII text; 2952 bytes of a text holding any non-ASCII
 *            character. Every ASCII text of up to 2953 bytes fits; some mixed ones of more.
 *      path  file to create or replace; its folder must exist.
 * Out: path holds a 24-bit BMP, (modules + 8) * scale pixels square, at most
 *      QRCL_PICTURE_LIMIT.
 * Returns:
 *      QRCL_OK            done.
 *      QRCL_ERR_ARGUMENT  text or path null, or path empty.
 *      QRCL_ERR_EMPTY     text empty.
 *      QRCL_ERR_ENCODING  text is not valid UTF-8 (stray or missing continuation byte,
 *                         overlong form, surrogate, beyond U+10FFFF).
 *      QRCL_ERR_TOO_LONG  text fits no QR symbol, even version 40 at level L.
 *      QRCL_ERR_WRITE     the file could not be written (missing folder, no right, a read-only
 *                         file at path, a folder by that name, disk full).
 *      QRCL_ERR_INTERNAL  out of memory, or the encoder failed.
 */
QRCL_EXPORT int32_t FastQRCode(const char* text, const char* path);

/*
 * As FastQRCode, for a text of explicit length that need not be zero-terminated.
 *
 * In:  text    length bytes of UTF-8 text.
 *      length  number of bytes of text; 0 gives QRCL_ERR_EMPTY.
 *      path    as FastQRCode.
 * Returns: as FastQRCode, and
 *      QRCL_ERR_ARGUMENT  also for a negative length.
 *      QRCL_ERR_NUL       text holds a NUL byte: a QR code could carry it, but no caller
 *                         working with zero-terminated strings could read it back.
 */
QRCL_EXPORT int32_t FastQRCodeN(const char* text, int32_t length, const char* path);

/*
 * The system's reason for the last QRCL_ERR_WRITE of the calling thread, as an errno value
 * (EACCES, ENOSPC, EROFS, ENOENT, ...); 0 when the last call did not fail on writing.
 * Never fails.
 */
QRCL_EXPORT int32_t QRCodeLibLastError(void);

/*
 * Version of this library as 0xMMmmpp: 1.0.0 is 0x010000. Never fails.
 */
QRCL_EXPORT int32_t QRCodeLibVer(void);

#ifdef __cplusplus
}
#endif

#endif /* QRCODELIB_H */
