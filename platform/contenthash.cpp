#include "contenthash.h"

#include <xxhash.h>

namespace {

const int hexDigits = 32;

void freeState(XXH3_state_t *state)
{
    XXH3_freeState(state);
}

} // namespace

QByteArray ContentHash::Digest::toHex() const
{
    return QByteArray::number(high, 16).rightJustified(hexDigits / 2, '0') +
           QByteArray::number(low, 16).rightJustified(hexDigits / 2, '0');
}

bool ContentHash::Digest::fromHex(QByteArrayView hex, Digest *digest)
{
    if (hex.size() != hexDigits)
        return false;
    for (const char c : hex)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    bool highOk = false, lowOk = false;
    digest->high = hex.first(hexDigits / 2).toULongLong(&highOk, 16);
    digest->low = hex.sliced(hexDigits / 2).toULongLong(&lowOk, 16);
    return highOk && lowOk;
}

ContentHash::ContentHash()
    : state(XXH3_createState(), freeState)
{
    reset();
}

ContentHash::~ContentHash() = default;

void ContentHash::reset()
{
    XXH3_128bits_reset(state.get());
}

void ContentHash::add(const void *bytes, std::size_t length)
{
    XXH3_128bits_update(state.get(), bytes, length);
}

ContentHash::Digest ContentHash::digest() const
{
    const XXH128_hash_t hash = XXH3_128bits_digest(state.get());
    return {hash.high64, hash.low64};
}
