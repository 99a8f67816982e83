/*
 * The engine through its header alone, from plain C: every call with good
 * and bad arguments, then the same work on three threads at once, each with
 * its own handles (the program's user-interface, test and training threads).
 * Argument: the tessdata folder holding eng.traineddata.
 */
#define _POSIX_C_SOURCE 200809L

#include "engine/morvexa.h"

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char *tessdata;

#define CHECK(cond)                                                                                \
  do {                                                                                             \
    if (!(cond)) {                                                                                 \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);                     \
      return 1;                                                                                    \
    }                                                                                              \
  } while (0)

enum { W = 40, H = 20 };

/* RGBX pixels: black with a white block at columns 10..19, rows 5..9. */
static void fillImage(unsigned char *pixels) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      unsigned char v = (x >= 10 && x < 20 && y >= 5 && y < 10) ? 255 : 0;
      unsigned char *p = pixels + (y * W + x) * 4;
      p[0] = p[1] = p[2] = v;
      p[3] = 0;
    }
}

static int badArguments(void) {
  unsigned char pixels[W * H * 4];
  fillImage(pixels);
  int count = 7;

  CHECK(newMat(NULL, W, H, W * 4, 4) == 0);
  CHECK(newMat(pixels, 0, H, W * 4, 4) == 0);
  CHECK(newMat(pixels, W, -1, W * 4, 4) == 0);
  CHECK(newMat(pixels, W, H, W * 4 - 1, 4) == 0);
  delMat(0);
  delMat(424242);

  CHECK(thresoldImage(0, 0, 100, 255, W, H) == NULL);
  MatHandle mat = newMat(pixels, W, H, W * 4, 4);
  CHECK(mat != 0);
  CHECK(thresoldImage(5, mat, 100, 255, W, H) == NULL);
  CHECK(thresoldImage(0, mat, 100, 255, W - 1, H) == NULL);
  CHECK(thresoldImage(0, mat, 300, 255, W, H) == NULL);
  delMat(mat);
  CHECK(thresoldImage(0, mat, 100, 255, W, H) == NULL);
  delMat(mat);

  CHECK(findRect(NULL, W, H, &count, 0.0f) == NULL && count == 0);
  CHECK(findRect(pixels, W, H, NULL, 0.0f) == NULL);
  CHECK(findRect(pixels, 0, H, &count, 0.0f) == NULL);

  CHECK(!saveMat(NULL, pixels, W, H));
  CHECK(!saveMat("/no/such/dir/x.tif", pixels, W, H));
  CHECK(!saveMat("/tmp/x.tif", NULL, W, H));
  CHECK(!saveMat("/tmp/x.tif", pixels, -1, H));

  CHECK(createOcr(tessdata, NULL, 3, 3) == 0);
  CHECK(createOcr(tessdata, "eng", 99, 3) == 0);
  CHECK(createOcr(tessdata, "eng", 3, 99) == 0);
  CHECK(createOcr("/no/such/tessdata", "eng", 3, 3) == 0);
  CHECK(getTextExTest(0, pixels, 0, 0, W, H) == NULL);
  CHECK(getTextWithPosTest(0, pixels, 3, 0, 0, W, H) == NULL);
  CHECK(!setOcrWhitelist(0, "0123456789"));
  releaseOcr(0);
  releaseOcr(31337);

  ocFree(NULL);
  char *none = NULL;
  ocFree(&none);
  CHECK(none == NULL);
  return 0;
}

/* One round of everything the program does, on the calling thread's own handles. */
static int goodArguments(int round) {
  unsigned char *pixels = malloc(W * H * 4);
  CHECK(pixels != NULL);
  fillImage(pixels);
  MatHandle mat = newMat(pixels, W, H, W * 4, 4);
  CHECK(mat != 0);

  static const int types[] = {0, 1, 2, 3, 4, 7, 8, 16};
  for (size_t i = 0; i < sizeof types / sizeof types[0]; ++i) {
    unsigned char *result = thresoldImage(types[i], mat, 128, 255, W, H);
    CHECK(result != NULL);
    /* the white block stays white except for the inverting types and THRESH_MASK */
    CHECK((result[7 * W + 15] != 0) == !(types[i] == 1 || types[i] == 4 || types[i] == 7));
    ocFree(&result);
    CHECK(result == NULL);
  }
  unsigned char *mask = thresoldImage(0, mat, 128, 255, W, H);
  CHECK(mask != NULL);

  int count = -1;
  int *rects = findRect(mask, W, H, &count, 0.0f);
  CHECK(rects != NULL && count == 1);
  CHECK(rects[0] == 10 && rects[1] == 5 && rects[2] == 19 && rects[3] == 9);
  ocFree(&rects);
  CHECK(rects == NULL);

  char path[64];
  snprintf(path, sizeof path, "/tmp/morvexa-c-%ld-%d.tif", (long)getpid(), round);
  CHECK(saveMat(path, mask, W, H));
  CHECK(remove(path) == 0);

  OcrHandle ocr = createOcr(tessdata, "eng", 6, 3);
  CHECK(ocr != 0);
  CHECK(setOcrWhitelist(ocr, round % 2 ? "0123456789" : NULL));
  char *text = getTextExTest(ocr, mask, 0, 0, W, H);
  CHECK(text != NULL);
  ocFree(&text);
  char *json = getTextWithPosTest(ocr, mask, 3, 0, 0, W, H);
  CHECK(json != NULL && json[0] == '[');
  ocFree(&json);
  CHECK(json == NULL);
  releaseOcr(ocr);

  ocFree(&mask);
  free(pixels); /* the program frees the pixels first, then releases the handle */
  delMat(mat);
  return 0;
}

static void *worker(void *arg) {
  int failures = 0;
  for (int round = 0; round < 3; ++round)
    failures += goodArguments((int)(intptr_t)arg * 10 + round);
  return (void *)(intptr_t)failures;
}

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s TESSDATA_DIR\n", argv[0]);
    return 2;
  }
  tessdata = argv[1];
  int failures = badArguments() + goodArguments(0);

  enum { THREADS = 3 };
  pthread_t threads[THREADS];
  for (int i = 0; i < THREADS; ++i)
    if (pthread_create(&threads[i], NULL, worker, (void *)(intptr_t)(i + 1)) != 0)
      return 1;
  for (int i = 0; i < THREADS; ++i) {
    void *result = NULL;
    pthread_join(threads[i], &result);
    failures += (int)(intptr_t)result;
  }
  printf("engine C interface: %s\n", failures == 0 ? "all checks passed" : "checks failed");
  return failures == 0 ? 0 : 1;
}
