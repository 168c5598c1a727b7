#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

// The one owner of a file descriptor: closes it when it goes, passes it on
// only by a move.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&other) noexcept : m_fd(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes the descriptor, for a caller that must know whether the close
    // failed (a write may only report its error there): 0 or an errno.
    int close()
    {
        if (m_fd < 0)
            return 0;
        return ::close(release()) == 0 ? 0 : errno;
    }

private:
    int m_fd = -1;
};
