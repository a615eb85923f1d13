#include "Storage/ContentDigest.h"

#include <QByteArray>

#include <openssl/evp.h>

#include <algorithm>
#include <vector>

namespace holdra {

namespace {

// Below this a chunk is hashed at once: a thread costs more than it saves.
constexpr size_t smallChunk = 256 * 1024;

} // namespace

void ContentDigest::ContextDeleter::operator()(evp_md_ctx_st *context) const
{
    EVP_MD_CTX_free(context);
}

ContentDigest::ContentDigest()
    : m_context(EVP_MD_CTX_new())
{
    reset();
}

ContentDigest::~ContentDigest()
{
    waitForPending();
}

void ContentDigest::reset()
{
    waitForPending();
    m_ok = m_context && EVP_DigestInit_ex(m_context.get(), EVP_sha256(), nullptr) == 1;
}

void ContentDigest::update(const char *data, size_t size)
{
    waitForPending();
    if (!m_ok || size == 0)
        return;
    if (size < smallChunk) {
        m_ok = EVP_DigestUpdate(m_context.get(), data, size) == 1;
        return;
    }
    m_pending = std::async(std::launch::async, [context = m_context.get(), data, size] {
        return EVP_DigestUpdate(context, data, size) == 1;
    });
}

void ContentDigest::updateZeros(qint64 count)
{
    waitForPending();
    static const std::vector<char> zeros(1 << 20, '\0');
    while (m_ok && count > 0) {
        const size_t step = size_t(std::min<qint64>(count, qint64(zeros.size())));
        m_ok = EVP_DigestUpdate(m_context.get(), zeros.data(), step) == 1;
        count -= qint64(step);
    }
}

std::optional<QString> ContentDigest::finishHex()
{
    waitForPending();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!m_ok || EVP_DigestFinal_ex(m_context.get(), digest, &length) != 1)
        return std::nullopt;
    m_ok = false;
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), qsizetype(length)).toHex());
}

void ContentDigest::waitForPending()
{
    if (m_pending.valid() && !m_pending.get())
        m_ok = false;
}

} // namespace holdra
