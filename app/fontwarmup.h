#ifndef FONTWARMUP_H
#define FONTWARMUP_H

#include <thread>

// Reads the desktop's font configuration on a thread of its own, started
// before the toolkit so that the two overlap. The window cannot lay out its
// first text before that configuration is read, and reading it (dozens of
// XML files where fontconfig finds the fonts) is the largest single piece of
// work between the start of the program and its window on screen. Where the
// fonts are not found that way, the object does nothing.
class FontWarmUp
{
public:
    FontWarmUp();
    // Waits as wait() does.
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp &) = delete;
    FontWarmUp &operator=(const FontWarmUp &) = delete;

    // Returns once the configuration has been read. Called before the first
    // text is laid out: the toolkit, finding it unread, would read it a
    // second time alongside.
    void wait();

private:
    std::thread reader;
};

#endif
