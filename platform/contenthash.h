#ifndef CONTENTHASH_H
#define CONTENTHASH_H

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <memory>

struct XXH3_state_s;

// The XXH3-128 hash of a file's bytes, fed piece by piece as they are read.
// Fast enough (several GB/s) that hashing while copying costs no time.
class ContentHash
{
public:
    struct Digest
    {
        unsigned long long high = 0;
        unsigned long long low = 0;
        bool operator==(const Digest &other) const
        {
            return high == other.high && low == other.low;
        }
        bool operator!=(const Digest &other) const { return !(*this == other); }
        // 32 lower-case hex digits, high half first.
        QByteArray toHex() const;
        // False for anything but 32 hex digits.
        static bool fromHex(QByteArrayView hex, Digest *digest);
    };

    ContentHash();
    ~ContentHash();
    ContentHash(const ContentHash &) = delete;
    ContentHash &operator=(const ContentHash &) = delete;

    void reset();
    void add(const void *bytes, std::size_t length);
    Digest digest() const;

private:
    std::unique_ptr<XXH3_state_s, void (*)(XXH3_state_s *)> state;
};

#endif
