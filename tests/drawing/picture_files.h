#pragma once
// Small PNG files made for a test with ImageMagick, in a folder of their own.

#include <string>

class PictureFolder {
public:
    PictureFolder();
    ~PictureFolder();
    PictureFolder(const PictureFolder&) = delete;
    PictureFolder& operator=(const PictureFolder&) = delete;

    // Runs `convert <arguments> PNG32:<folder>/<name>.png` and returns the
    // file's path.
    std::string make(const std::string& name, const std::string& arguments);
    // A path in the folder that the test may write to.
    std::string path(const std::string& name) const;

private:
    std::string folder_;
};
