#include "stamp/digest_beside.h"

#include <algorithm>
#include <span>

#include "io/crc_pass.h"

namespace corvane {

namespace {

crc_buffer digest_buffer;

} // namespace

digest_beside::digest_beside(bool wanted, const image_file& file) : file_(file)
{
    if (wanted)
        thread_ = std::thread([this] { run(); });
}

digest_beside::~digest_beside()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard hold(lock_);
        finishing_ = true; // nothing more: the run failed
        changed_.notify_all();
    }
    thread_.join();
}

void digest_beside::written(std::uint64_t end) noexcept
{
    if (!thread_.joinable())
        return;
    std::lock_guard hold(lock_);
    written_ = end;
    changed_.notify_all();
}

io_status digest_beside::feed(sha256& digest, std::uint64_t from, std::uint64_t to) noexcept
{
    for (std::uint64_t at = from; at < to;) {
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(to - at, digest_buffer.size()));
        const std::span bytes(digest_buffer.data(), n);
        if (const io_status s = file_.read_at(at, bytes); !s.ok())
            return s;
        digest.feed(bytes);
        at += n;
    }
    return {};
}

void digest_beside::run() noexcept
{
    sha256 digest;
    for (std::uint64_t hashed = 0;;) {
        std::uint64_t ready = 0;
        {
            std::unique_lock hold(lock_);
            changed_.wait(hold, [&] { return written_ > hashed || finishing_; });
            ready = finishing_ ? std::min(end_, written_) : written_;
            if (hashed >= ready) {
                digest_ = digest.finish();
                return;
            }
        }
        // Some MiB at a time, so that the thread keeps close behind the writing.
        const std::uint64_t to = std::min(ready, hashed + (8u << 20));
        if (const io_status s = feed(digest, hashed, to); !s.ok()) {
            std::lock_guard hold(lock_);
            read_ = s;
            return;
        }
        hashed = to;
    }
}

io_status digest_beside::finish(std::uint64_t size, std::array<std::uint8_t, 32>& digest) noexcept
{
    {
        std::lock_guard hold(lock_);
        end_ = size;
        finishing_ = true;
        changed_.notify_all();
    }
    thread_.join();
    digest = digest_;
    return read_;
}

} // namespace corvane
