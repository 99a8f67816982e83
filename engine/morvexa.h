/*
 * morvexa: the image and OCR library under glyphwright, as a plain C ABI over
 * OpenCV and Tesseract. Nothing above this header includes OpenCV or
 * Tesseract.
 *
 * Handles. A MatHandle is an image, an OcrHandle a recognizer; 0 means none
 * (or failure when returned). Handles are numbers looked up in a table, never
 * pointers: an unknown, released or made-up handle is refused (NULL, 0, false
 * or nothing happens), it never reaches freed memory.
 *
 * Blocks. Every pointer the library returns (a mask, a rectangle array, a
 * text) is a heap block owned by the caller and released only with ocFree,
 * which takes the ADDRESS of the variable holding it:
 *
 *     unsigned char *mask = thresoldImage(8, mat, 0, 255, w, h);
 *     ...
 *     ocFree(&mask);            // mask is NULL now; ocFree(&mask) again is harmless
 *
 * Order of calls.
 *     image:      newMat -> thresoldImage ... -> delMat   (pixels kept alive until delMat)
 *     boxes:      findRect -> ocFree
 *     training:   saveMat / saveMatPages
 *     recognizer: createOcr -> [setOcrWhitelist] -> getTextExTest / getTextWithPosTest ...
 *                 -> releaseOcr
 *
 * Threads. Any call may run on several threads at once, as long as no two
 * threads use the same handle at the same time. Each OcrHandle owns its own
 * Tesseract instance. The calls do not change the process's locale.
 *
 * Bad arguments (NULL pointers, sizes of 0 or less, unknown handles, modes
 * out of range) give NULL, 0 or false and never crash.
 *
 * Masks are width x height bytes, row after row with nothing between rows;
 * 0 = black, nonzero = white.
 */
#ifndef MORVEXA_H
#define MORVEXA_H

#include <stdbool.h>
#include <stdint.h>

#if defined(__GNUC__)
#define MORVEXA_API __attribute__((visibility("default")))
#else
#define MORVEXA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef intptr_t MatHandle; /* 0 = none */
typedef intptr_t OcrHandle; /* 0 = failure */

/*
 * Wraps pixels as an image. bytesPerPixel is 4 (R, G, B and a byte without
 * meaning), 3 (R, G, B) or 1 (grey); bytesPerRow is at least
 * width * bytesPerPixel. The pixels are NOT copied: the library keeps a
 * pointer to them and reads them at each thresoldImage, so the caller keeps
 * them alive and unchanged as long as it binarizes with the handle. It may
 * free them just before delMat, which never reads them.
 * Returns 0 for NULL pixels, sizes of 0 or less, a row length too short for
 * the width, or another pixel size.
 */
MORVEXA_API MatHandle newMat(unsigned char *pixels, int width, int height, int bytesPerRow,
                             int bytesPerPixel);

/* Releases the handle. 0 and unknown handles are ignored. */
MORVEXA_API void delMat(MatHandle mat);

/*
 * Converts the image to grey (0.299 R + 0.587 G + 0.114 B) and applies
 * OpenCV's threshold with the given type, threshold and maximum; returns the
 * result as a width x height mask (release with ocFree). The mask holds
 * OpenCV's output values, so THRESH_TRUNC and the TOZERO types give grey
 * levels; callers read nonzero as white.
 *
 * type: 0 THRESH_BINARY, 1 THRESH_BINARY_INV, 2 THRESH_TRUNC,
 *       3 THRESH_TOZERO, 4 THRESH_TOZERO_INV, 8 THRESH_OTSU, 16 THRESH_TRIANGLE
 *       (Otsu and Triangle choose the threshold themselves; alone they mean
 *       BINARY, and as in OpenCV they may be added to another of 0..4, e.g.
 *       9 = BINARY_INV with Otsu).
 *       7 THRESH_MASK is, in OpenCV, not an operation but the bit mask that
 *       picks the operation out of a type number, and OpenCV refuses it. Here
 *       it yields a mask in which no pixel passes: all zero (all black), with
 *       the usual size, so the caller's display stays consistent and nothing
 *       is mistaken for a real binarization.
 * threshold, maximum: 0..255.
 * width, height: must equal the image's size.
 * Returns NULL for a handle of 0 or unknown, another type, threshold or
 * maximum outside 0..255, sizes that do not match the image, or no memory.
 */
MORVEXA_API unsigned char *thresoldImage(int type, MatHandle mat, int threshold, int maximum,
                                         int width, int height);

/*
 * Thresholds like thresoldImage, but writes the result straight into the
 * caller's 32-bit pixels instead of returning a mask, in one pass: a pixel
 * the mask would hold nonzero becomes the native 32-bit word `white`, every
 * other one `black`. With type 7 every pixel becomes `black`.
 * pixels: height rows of width words, rows bytesPerRow bytes apart (at least
 * width * 4).
 * Returns 1 when written; 0, writing nothing, where thresoldImage gives NULL
 * or for NULL pixels or rows too short.
 */
MORVEXA_API int thresholdIntoPixels(int type, MatHandle mat, int threshold, int maximum,
                                    unsigned char *pixels, int width, int height, int bytesPerRow,
                                    unsigned int white, unsigned int black);

/*
 * Cuts a mask into glyphs and returns *count rectangles of four ints each:
 * left, top, right, bottom, with right and bottom INCLUSIVE pixel indices (a
 * single pixel at (3, 2) gives 3, 2, 3, 2). Each rectangle is the bounding
 * box of one glyph: of one or more 8-connected shapes of nonzero pixels.
 * Glyphs whose pixels touch come out as one.
 *
 * Glyphs whose pixels do not touch are told apart by rules measured against
 * each text line's own glyphs (engine/glyph_grouping.cpp states them): the
 * pieces of a Chinese character, the dot of an i and the strokes of a
 * quotation mark come out as one box; two marks side by side, letters with
 * an empty column between them, digits and Latin letters beside Chinese,
 * and glyphs of different lines stay apart. Frames, table rules and
 * underlines are boxes of their own and join nothing. Specks of noise (tiny
 * shapes away from any ink) are boxes of their own unless one stands close
 * over or under the end of a stem, as the dot of an i does. No glyph's box
 * lies inside another glyph's box, except the text inside a frame.
 *
 * Reading order: text lines from the top, each from the left. A rectangle
 * belongs to the line whose rows it shares at least half of its height
 * with (or half of the line's). Frames and rules join no line and take their
 * place by their top edge, so text inside a frame reads line by line.
 *
 * param: the least number of pixels a glyph (all its shapes together) needs
 *        to be reported; smaller glyphs (specks) are dropped. Weighing whole
 *        glyphs keeps the dot of every i whose glyph is kept. 0.0, negative
 *        values and NaN keep every glyph.
 *
 * A result with *count == 0 is still a block, to be released with ocFree.
 * Returns NULL (and sets *count to 0 when count is not NULL) for a NULL mask
 * or count, sizes of 0 or less, or no memory.
 */
MORVEXA_API int *findRect(const unsigned char *mask, int width, int height, int *count,
                          float param);

/*
 * Writes width x height 8-bit grey pixels (row after row) to path in the
 * format its extension names, in any letter case: ".tif" or ".tiff" gives an
 * uncompressed 8-bit grey TIFF, written by Leptonica, which the Tesseract
 * tools read it with; ".png", ".bmp", ".pgm"/".pnm" and ".jpg"/".jpeg"
 * (quality 95) give those formats. Returns false on any failure: NULL
 * arguments, sizes of 0 or less, another or no extension, a file that cannot
 * be written. A failed write leaves no file at path.
 */
MORVEXA_API bool saveMat(const char *path, const unsigned char *grey, int width, int height);

/*
 * Like saveMat, for count pages in one file: page i is widths[i] x heights[i]
 * grey pixels at pages[i]; pages may differ in size. Several pages need a
 * TIFF path (".tif"/".tiff"); one page is exactly saveMat. Returns false, and
 * leaves no file at path, for count < 1, a NULL array, page or a size of 0 or
 * less among the pages, or any failure saveMat names.
 */
MORVEXA_API bool saveMatPages(const char *path, const unsigned char *const *pages,
                              const int *widths, const int *heights, int count);

/*
 * Makes a recognizer: a Tesseract instance initialised with the data
 * directory (the folder holding <language>.traineddata; NULL or "" lets
 * Tesseract use TESSDATA_PREFIX or its built-in folder), the language (as
 * Tesseract takes it, e.g. "eng" or "eng+chi_sim") and the engine mode
 * (OcrEngineMode 0..3), with the page segmentation mode (PageSegMode 0..13)
 * set. Returns 0 when a mode is out of range (also -1, "nothing chosen"),
 * language is NULL or empty, or initialisation fails (missing file, legacy
 * engine asked of an LSTM-only file).
 */
MORVEXA_API OcrHandle createOcr(const char *tessdataDir, const char *language, int pageSegMode,
                                int engineMode);

/*
 * Recognises a width x height mask (nonzero = white) and returns the text,
 * UTF-8, as Tesseract lays it out (lines end with "\n"); an image without
 * text gives "". Release with ocFree.
 * x, y: where the mask's top-left pixel lies in the caller's image. They do
 * not select part of the mask (the whole mask is always read, and nothing
 * outside it); getTextWithPosTest adds them to every rectangle it reports,
 * so positions come back in the caller's coordinates. Pass 0, 0 for mask
 * coordinates.
 * Returns NULL for an unknown handle, a NULL mask, sizes of 0 or less, or a
 * failed recognition.
 */
MORVEXA_API char *getTextExTest(OcrHandle ocr, const unsigned char *mask, int x, int y, int width,
                                int height);

/*
 * Like getTextExTest, but returns each element of the level (PageIteratorLevel
 * 0 RIL_BLOCK, 1 RIL_PARA, 2 RIL_TEXTLINE, 3 RIL_WORD, 4 RIL_SYMBOL) with its
 * rectangle and confidence, as a JSON array, UTF-8, one element per line:
 *
 *   [
 *   {"text":"Hello","left":10,"top":4,"right":49,"bottom":16,"confidence":91.25},
 *   {"text":"world","left":56,"top":4,"right":99,"bottom":16,"confidence":89.50}
 *   ]
 *
 * text: the element's text without trailing white space or line ends;
 * left, top, right, bottom: its rectangle, right and bottom inclusive, plus
 *   x and y;
 * confidence: Tesseract's confidence, 0..100, two decimals.
 * Elements come in Tesseract's reading order; elements without text are left
 * out; an image without text gives "[]\n". Returns NULL as getTextExTest does,
 * and for a level outside 0..4.
 */
MORVEXA_API char *getTextWithPosTest(OcrHandle ocr, const unsigned char *mask, int level, int x,
                                     int y, int width, int height);

/*
 * Restricts the characters the recognizer may read (Tesseract's
 * tessedit_char_whitelist) for every later text call on the handle.
 * characters: UTF-8, the encoding the text calls return, so any character
 * of the language data can be named; NULL or "" lifts the restriction.
 * The space between words always stays allowed, so words are not run
 * together. Characters the language data does not know are ignored; a list
 * of only such characters leaves nothing to read.
 * Returns false, and leaves the recognizer as it was, for an unknown handle
 * or text that is not valid UTF-8.
 */
MORVEXA_API bool setOcrWhitelist(OcrHandle ocr, const char *characters);

/* Releases the recognizer. 0 and unknown handles are ignored. */
MORVEXA_API void releaseOcr(OcrHandle ocr);

/*
 * pointerAddress is the address of the variable holding a block returned by
 * thresoldImage, findRect or a text call: frees the block and sets the
 * variable to NULL. A NULL address or a variable holding NULL is fine.
 */
MORVEXA_API void ocFree(void *pointerAddress);

#ifdef __cplusplus
}
#endif

#endif /* MORVEXA_H */
