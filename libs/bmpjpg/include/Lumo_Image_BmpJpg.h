/*
 * Lumo_Image_BmpJpg: turns a picture into a baseline JPEG file.
 *
 * Plain C interface, usable from C and C++ and loadable by name at run time
 * ("Lumo_Image_BmpJpg"): every function returns 0 or one of the LIBJ_ERR_* codes below and
 * never lets a C++ exception out. Paths are zero-terminated UTF-8.
 *
 * A written JPEG is complete or absent: the bytes go to an anonymous file in the target's
 * folder, are flushed to disk, and only then take the target's name, so not even a killed
 * process leaves a part behind (where the file system has no anonymous files, a hidden
 * ".lumo-" name is used meanwhile). After any failure a file already at the target is
 * untouched. A read-only file at the target is not replaced. A symbolic link at the target is
 * written through, as editors do: the link stays and points at the new picture.
 * LILastError tells why reading or writing failed.
 *
 * Arguments are checked in the order of the codes: LIBJ_ERR_ARGUMENT, then LIBJ_ERR_QUALITY,
 * before any file is read or created.
 */
#ifndef LUMO_IMAGE_BMPJPG_H
#define LUMO_IMAGE_BMPJPG_H

#include <stdint.h>

#include "lumo_bmpjpg_export.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LIBJ_OK 0
#define LIBJ_ERR_ARGUMENT 1   /* null or empty path, bad flag, bad size */
#define LIBJ_ERR_READ_BMP 2   /* source missing or not a BMP that can be read */
#define LIBJ_ERR_QUALITY 3    /* quality outside 1..100 */
#define LIBJ_ERR_COMPRESS 4   /* the encoder failed */
#define LIBJ_ERR_WRITE 5      /* the target could not be written */

/*
 * Converts a BMP file to a JPEG file.
 *
 * In:  bmpPath  existing BMP file, 8-bit (palette or grey), 24-bit or 32-bit, uncompressed,
 *               rows stored bottom-up (as nearly every writer stores them).
 *      jpgPath  file to create or replace; its folder must exist.
 *      quality  JPEG quality, 1 (smallest) .. 100 (best).
 *      flag     chroma subsampling: 1 = 4:4:4, colour at full resolution, so QR module
 *               edges stay sharp; 0 = 4:2:0, colour at half resolution both ways.
 * Out: jpgPath holds the baseline JPEG of the picture, same size, RGB.
 * Returns:
 *      LIBJ_OK            done.
 *      LIBJ_ERR_ARGUMENT  bmpPath or jpgPath null or empty; flag neither 0 nor 1.
 *      LIBJ_ERR_QUALITY   quality outside 1..100.
 *      LIBJ_ERR_READ_BMP  bmpPath missing, unreadable, not a BMP, cut short, or a kind of
 *                         BMP not read (1- or 4-bit, compressed, top-down).
 *      LIBJ_ERR_COMPRESS  the encoder failed (e.g. a side above 65500 pixels, no memory).
 *      LIBJ_ERR_WRITE     the JPEG could not be written at jpgPath (missing folder, no right,
 *                         a read-only file at jpgPath, a folder by that name, disk full).
 */
LIBJ_EXPORT int32_t LIBmpToJpg(const char* bmpPath, const char* jpgPath, int32_t quality,
                               int32_t flag);

/*
 * Writes packed RGB pixels as a JPEG file.
 *
 * In:  jpgPath  file to create or replace; its folder must exist.
 *      rgb      first row of the picture, top row first, 3 bytes per pixel (R, G, B).
 *      width    pixels per row, 1..65500.
 *      height   rows, 1..65500.
 *      pitch    bytes from the start of one row to the next, at least 3 * width.
 *      quality  JPEG quality, 1 .. 100.
 *      flag     1 = 4:4:4, 0 = 4:2:0, as for LIBmpToJpg.
 * Out: jpgPath holds the baseline JPEG of the picture. rgb is only read.
 * Returns:
 *      LIBJ_OK            done.
 *      LIBJ_ERR_ARGUMENT  jpgPath null or empty; rgb null; width, height or pitch out of
 *                         range; flag neither 0 nor 1.
 *      LIBJ_ERR_QUALITY   quality outside 1..100.
 *      LIBJ_ERR_COMPRESS  the encoder failed (no memory).
 *      LIBJ_ERR_WRITE     the JPEG could not be written at jpgPath.
 */
LIBJ_EXPORT int32_t LIWriteJpg(const char* jpgPath, const unsigned char* rgb, int32_t width,
                               int32_t height, int32_t pitch, int32_t quality, int32_t flag);

/*
 * The system's reason for the last LIBJ_ERR_READ_BMP or LIBJ_ERR_WRITE of the calling thread,
 * as an errno value (EACCES, ENOSPC, EROFS, ENOENT, EISDIR, ...), or 4096 when the target is not
 * a regular file (a FIFO, a device), which is left untouched; 0 when the last call did not fail
 * on a file, or when the source was read but is no BMP this library reads. Never fails.
 */
LIBJ_EXPORT int32_t LILastError(void);

#ifdef __cplusplus
}
#endif

#endif /* LUMO_IMAGE_BMPJPG_H */
