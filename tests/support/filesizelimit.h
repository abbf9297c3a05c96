#ifndef FILESIZELIMIT_H
#define FILESIZELIMIT_H

#include <QtGlobal>

// Caps the size of every file this process writes, for as long as the object
// lives, so that a test can make a write fail part-way even as root, whom
// permission bits do not stop. SIGXFSZ is ignored meanwhile, so that going
// past the cap fails the write with EFBIG instead of killing the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(quint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    // False when the cap could not be set; the test should then fail.
    bool isActive() const { return active; }

private:
    quint64 previousSoft = 0;
    quint64 previousHard = 0;
    void (*previousHandler)(int) = nullptr;
    bool active = false;
};

#endif
