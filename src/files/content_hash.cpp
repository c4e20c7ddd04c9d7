#include "files/content_hash.h"

// Compiled in here, so that no library has to be found where the program is built for another system.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace files {

struct ContentHash::State {
    XXH3_state_t xxh3;
};

ContentHash::ContentHash()
    : state_(std::make_unique<State>())
{
    XXH3_64bits_reset(&state_->xxh3);
}

ContentHash::~ContentHash() = default;

void ContentHash::add(std::string_view bytes)
{
    XXH3_64bits_update(&state_->xxh3, bytes.data(), bytes.size());
}

std::uint64_t ContentHash::value() const
{
    return XXH3_64bits_digest(&state_->xxh3);
}

std::uint64_t hashOf(std::string_view bytes)
{
    return XXH3_64bits(bytes.data(), bytes.size());
}

}  // namespace files
