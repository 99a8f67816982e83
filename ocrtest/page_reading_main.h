#pragma once
// The checker's second mode: it reads the pages of a training job with a new
// model, so that a model on which Tesseract aborts ends the checker and not
// the window.
//
// glyphwright-dictcheck --read-pages <data dir> <language> <engine mode>
//                       <pages file> <readings file>
//
// Each page is read as one line; the readings file gets, per page, the
// symbols with their positions as JSON (getTextWithPosTest). Exit status: 0
// read, 1 model refused, 2 wrong arguments, 3 a file could not be read or
// written.
inline constexpr char kReadPagesOption[] = "--read-pages";
inline constexpr int kReadPagesFileError = 3;

int ReadPagesMain(int argc, char **argv);
