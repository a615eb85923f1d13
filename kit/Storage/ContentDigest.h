#pragma once

#include <QString>

#include <future>
#include <memory>
#include <optional>

struct evp_md_ctx_st;

namespace holdra {

// SHA-256 of bytes as they stream past, computed on a helper thread so that the
// caller can write one chunk while the previous one is hashed: a copy and its hash
// cost one pass over the bytes, about as long as the hash alone.
class ContentDigest
{
public:
    ContentDigest();
    ~ContentDigest();
    ContentDigest(const ContentDigest &) = delete;
    ContentDigest &operator=(const ContentDigest &) = delete;

    // Starts over, forgetting everything fed so far.
    void reset();
    // Feeds bytes that must stay unchanged until the next call on this object.
    void update(const char *data, size_t size);
    // Feeds `count` zero bytes: the holes of a sparse file.
    void updateZeros(qint64 count);
    // 64 lower-case hex digits, or nothing when the digest failed.
    std::optional<QString> finishHex();

private:
    void waitForPending();

    struct ContextDeleter
    {
        void operator()(evp_md_ctx_st *context) const;
    };
    std::unique_ptr<evp_md_ctx_st, ContextDeleter> m_context;
    std::future<bool> m_pending;
    bool m_ok = false;
};

} // namespace holdra
