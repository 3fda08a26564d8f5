// What the report benchmarks share with their peer, LibreOffice: a scratch folder for the run's
// files, the conversion of a CSV file of the folder to PDF, and the page count of a PDF file.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// A folder for the run's files, removed when the program ends.
inline const std::string& BenchScratch() {
  struct TScratch {
    std::string dir;
    TScratch() {
      char pattern[] = "/tmp/kiv-report-bench-XXXXXX";
      dir = mkdtemp(pattern);
    }
    ~TScratch() { std::filesystem::remove_all(dir); }
  };
  static const TScratch scratch;
  return scratch.dir;
}

// LibreOffice converts csvName (fields in double quotes, separated by ";", UTF-8) of the scratch
// folder to a PDF file beside it; false when it fails.
inline bool OfficeCsvToPdf(const std::string& csvName) {
  const std::string& dir = BenchScratch();
  const std::string command = "cd " + dir + " && soffice -env:UserInstallation=file://" + dir +
                              "/lo --headless --infilter=CSV:59,34,76 --convert-to pdf " + csvName +
                              " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

inline int PdfPageCount(const std::string& path) {
  int pages = 0;
  if (FILE* p = popen(("pdfinfo '" + path + "' | grep Pages").c_str(), "r")) {
    if (std::fscanf(p, "Pages: %d", &pages) != 1) pages = 0;
    pclose(p);
  }
  return pages;
}
