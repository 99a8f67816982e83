#pragma once
// The files through which the training worker hands its pages to the checker
// process and gets the readings back. Kept free of the rest of the program so
// the checker can carry it.
#include <cstdint>
#include <string>
#include <vector>

struct ExchangedPage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels; // width x height, 255 = white, 0 = ink
};

// "glyphwright-pages 1\n", then per page "<width> <height>\n" and its bytes.
bool WritePagesFile(const std::string &path, const std::vector<ExchangedPage> &pages);
// False for a file that is missing, cut short or not of this format.
bool ReadPagesFile(const std::string &path, std::vector<ExchangedPage> &pages);

// Per page "<byte count>\n" and that many bytes of text.
bool WriteReadingsFile(const std::string &path, const std::vector<std::string> &readings);
bool ReadReadingsFile(const std::string &path, std::vector<std::string> &readings);
