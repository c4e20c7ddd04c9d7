#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

// The hash that tells whether a file's bytes are those recorded: XXH3, 64
// bits, fed piece by piece; the same bytes give the same hash however they
// are cut.
namespace files {

class ContentHash {
public:
    ContentHash();
    ~ContentHash();
    ContentHash(const ContentHash&) = delete;
    ContentHash& operator=(const ContentHash&) = delete;

    void add(std::string_view bytes);
    std::uint64_t value() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

std::uint64_t hashOf(std::string_view bytes);

}  // namespace files
