#pragma once

#include <string>

// The parameter file, held open for reading and writing for the whole run, by this program
// alone (a second running copy cannot open it), each write going straight to the disk.
// Created empty when missing.
class ParameterFile {
  public:
    ParameterFile() = default;
    ~ParameterFile();
    ParameterFile(const ParameterFile&) = delete;
    ParameterFile& operator=(const ParameterFile&) = delete;

    // False when the file cannot be opened or another program holds it.
    bool open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    // Writes `image` at the start of the file. False when it could not be written.
    bool writeImage(const std::string& image);
    // Reads up to `maxBytes` from the start of the file.
    std::string readImage(size_t maxBytes);

  private:
    int fd_ = -1;
};
