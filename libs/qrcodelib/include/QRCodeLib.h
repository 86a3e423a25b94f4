/*
 * QRCodeLib: turns a text into a QR code picture (BMP) or drawing (SVG) file.
 *
 * Plain C interface, usable from C and C++ and loadable by name at run time ("QRCodeLib"):
 * every function returns QRCL_OK or one of the QRCL_ERR_* codes below and never lets a C++
 * exception out. Texts and paths are UTF-8.
 *
 * Encoding: pure ASCII text goes in as it is, each run in its most compact mode (digits,
 * upper-case letters, bytes), or whole in the one mode all of it fits where short runs would
 * make that form too long. Any other text goes in as its UTF-8 bytes behind an ECI 26
 * (UTF-8) marker, so that readers do not guess another character set.
 *
 * Error correction: the highest level (H, then Q) that needs no larger symbol than level M;
 * level M otherwise; level L only for a text that fits nowhere else.
 *
 * Picture: QRCL_PICTURE_LIMIT pixels square, black modules on white, every module a square of
 * the same whole number of pixels, the largest that leaves a quiet zone of at least 4 modules
 * on every side. The symbol sits in the middle; an odd pixel left over goes to the right and
 * bottom margins. Written as an uncompressed 24-bit BMP.
 *
 * Drawing: the same symbol as an SVG document in units of modules, quiet zone included, whose
 * printed size is that of the code in the picture printed at 96 dpi.
 *
 * A written file is complete or absent: the bytes go to an anonymous file in the target's
 * folder, are flushed to disk, and only then take the target's name, so not even a killed
 * process leaves a part behind (where the file system has no anonymous files, a hidden
 * ".lumo-" name is used meanwhile). After any failure a file already at the target is
 * untouched. A read-only file at the target is not replaced. A symbolic link at a picture's
 * path is replaced itself, never written through: that path is a working file, not a person's.
 * A link at a drawing's path is written through: the link stays and points at the new drawing.
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
#define QRCL_ERR_TOO_LONG 3   /* longer than its class of text holds */
#define QRCL_ERR_NUL 4        /* text holds a NUL byte (only detectable through FastQRCodeN) */
#define QRCL_ERR_ENCODING 5   /* text is not valid UTF-8 */
#define QRCL_ERR_WRITE 6      /* the file could not be written */
#define QRCL_ERR_INTERNAL 7   /* out of memory or encoder failure */

#define QRCL_PICTURE_LIMIT 201  /* the picture never exceeds this many pixels a side */
#define QRCL_SYMBOL_LIMIT 177   /* modules a side of the largest symbol (version 40) */

#define QRCL_SYMBOL_DEFAULTS 0  /* QRCodeLibSymbol's options: the choices FastQRCode makes */
#define QRCL_SYMBOL_LEVEL_L 1   /* or this very error correction level, whatever the size */
#define QRCL_SYMBOL_LEVEL_M 2
#define QRCL_SYMBOL_LEVEL_Q 3
#define QRCL_SYMBOL_LEVEL_H 4

/*
 * Writes the QR code of a zero-terminated text as a BMP file.
 *
 * In:  text  zero-terminated UTF-8 text, at least one byte. The largest texts (version 40,
 *            level L): 7089 digits; 4296 of upper-case letters, digits and " $%*+-./:";
 *            2953 bytes of any other ASCII text; 2952 bytes of a text holding any non-ASCII
 *            character. Every text up to its class's limit fits; none beyond it is taken, even
 *            where splitting it into runs would fit.
 *      path  file to create or replace; its folder must exist.
 * Out: path holds a 24-bit bottom-up BMP, QRCL_PICTURE_LIMIT pixels square, each module
 *      scale = QRCL_PICTURE_LIMIT / (modules + 8) pixels square (whole division, at least 1),
 *      the symbol centred on white.
 * Returns:
 *      QRCL_OK            done.
 *      QRCL_ERR_ARGUMENT  text or path null, or path empty.
 *      QRCL_ERR_EMPTY     text empty.
 *      QRCL_ERR_ENCODING  text is not valid UTF-8 (stray or missing continuation byte,
 *                         overlong form, surrogate, beyond U+10FFFF).
 *      QRCL_ERR_TOO_LONG  text longer than its class's limit above.
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
 * Writes the QR code of a zero-terminated text as an SVG 1.1 drawing: the very symbol
 * FastQRCode draws, for a printer or any program that scales drawings.
 *
 * In:  text, path  as FastQRCode.
 * Out: path holds an SVG document, viewBox "0 0 N N" with N = modules + 8: a white square, the
 *      dark modules as one black path of whole-module rectangles from (4, 4) on, edges kept
 *      crisp. width and height are (N * scale * 25.4 / 96) mm with three decimals, scale as in
 *      FastQRCode: the size of the code in FastQRCode's picture printed at 96 dpi.
 * Returns: as FastQRCode, checks in the same order.
 */
QRCL_EXPORT int32_t FastQRCodeSvg(const char* text, const char* path);

/*
 * As FastQRCodeSvg, for a text of explicit length; arguments and results as FastQRCodeN.
 */
QRCL_EXPORT int32_t FastQRCodeSvgN(const char* text, int32_t length, const char* path);

/*
 * Hands over the very symbol FastQRCodeN draws, as modules in memory, for a caller that draws
 * or writes it itself: no file is made.
 *
 * In:  text      length bytes of UTF-8 text, as FastQRCodeN.
 *      length    number of bytes of text.
 *      options   QRCL_SYMBOL_DEFAULTS, or one of QRCL_SYMBOL_LEVEL_L to _H for that error
 *                correction level (the smallest symbol that holds the text at it); every
 *                other value is reserved for choices of a later version and refused.
 *      modules   room for capacity bytes; QRCL_SYMBOL_LIMIT * QRCL_SYMBOL_LIMIT always suffice.
 *      capacity  bytes of room at modules.
 *      width     where the number of modules a side goes.
 * Out: *width set whenever the text encodes (even when the room is too small, so the caller
 *      can ask again); modules holds width * width bytes, row after row from the top-left
 *      corner: 1 for a dark module, 0 for a light one. No quiet zone: it is the caller's.
 * Returns:
 *      QRCL_OK            done.
 *      QRCL_ERR_ARGUMENT  text, modules or width null; negative length or capacity; options
 *                         none of the values above; capacity below width * width.
 *      QRCL_ERR_TOO_LONG  also for a text its class holds but not at the chosen level.
 *      QRCL_ERR_EMPTY, QRCL_ERR_NUL, QRCL_ERR_ENCODING, QRCL_ERR_TOO_LONG, QRCL_ERR_INTERNAL
 *                         as FastQRCodeN, checked in the same order.
 */
QRCL_EXPORT int32_t QRCodeLibSymbol(const char* text, int32_t length, int32_t options,
                                    unsigned char* modules, int32_t capacity, int32_t* width);

/*
 * The system's reason for the last QRCL_ERR_WRITE of the calling thread, as an errno value
 * (EACCES, ENOSPC, EROFS, ENOENT, EISDIR, ...), or 4096 when the path names something that is
 * not a regular file (a FIFO, a device), which is left untouched; 0 when the last call did not
 * fail on writing. Never fails.
 */
QRCL_EXPORT int32_t QRCodeLibLastError(void);

/*
 * Version of this library as 0xMMmmpp: 1.1.0 is 0x010100. Never fails.
 */
QRCL_EXPORT int32_t QRCodeLibVer(void);

#ifdef __cplusplus
}
#endif

#endif /* QRCODELIB_H */
