#include "document/alignment.h"

#include "files/content_hash.h"

#include <algorithm>
#include <numeric>
#include <span>
#include <unordered_map>

namespace modMain {

KeyOrder::KeyOrder(const std::vector<std::string_view>& keys)
    : order(keys.size())
{
    hashes.reserve(keys.size());
    for (const std::string_view key : keys)
        hashes.push_back(std::hash<std::string_view>()(key));
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (hashes[a] != hashes[b])
            return hashes[a] < hashes[b];
        if (keys[a] != keys[b])
            return keys[a] < keys[b];
        return a < b;
    });
}

int KeyOrder::compare(const AlignedSide& x, std::size_t a, const AlignedSide& y, std::size_t b)
{
    const KeyOrder& xo = x.order();
    const KeyOrder& yo = y.order();
    if (xo.hashes[a] != yo.hashes[b])
        return xo.hashes[a] < yo.hashes[b] ? -1 : 1;
    return x.keys[a].compare(y.keys[b]);
}

std::size_t KeyOrder::runEnd(const AlignedSide& side, std::size_t start) const
{
    std::size_t end = start + 1;
    while (end < order.size() && compare(side, order[start], side, order[end]) == 0)
        ++end;
    return end;
}

const KeyOrder& AlignedSide::order() const
{
    if (!order_)
        order_ = std::make_shared<const KeyOrder>(keys);
    return *order_;
}

namespace {

// Pairs the items of one key that the two sides hold: equal contents first,
// in order (the preferred of `from` first where `to` holds fewer of one),
// then whatever is left, in order.
void alignKey(std::span<const std::size_t> from, std::span<const std::size_t> to, const AlignedSide& fromSide,
              const AlignedSide& toSide, const std::function<bool(std::size_t)>& preferred, std::vector<int>& pairs)
{
    if (from.size() == 1 && to.size() == 1) {
        pairs[from[0]] = int(to[0]);
        return;
    }
    std::vector<std::pair<std::uint64_t, std::size_t>> fromContent;
    std::vector<std::pair<std::uint64_t, std::size_t>> toContent;
    for (const std::size_t item : from)
        fromContent.emplace_back(fromSide.content(item), item);
    for (const std::size_t item : to)
        toContent.emplace_back(toSide.content(item), item);
    std::sort(fromContent.begin(), fromContent.end());
    std::sort(toContent.begin(), toContent.end());
    std::vector<bool> toTaken(toContent.size(), false);
    for (std::size_t f = 0, t = 0; f < fromContent.size();) {
        const std::uint64_t content = fromContent[f].first;
        std::size_t fEnd = f;
        while (fEnd < fromContent.size() && fromContent[fEnd].first == content)
            ++fEnd;
        while (t < toContent.size() && toContent[t].first < content)
            ++t;
        std::size_t tEnd = t;
        while (tEnd < toContent.size() && toContent[tEnd].first == content)
            ++tEnd;
        // Where `to` holds fewer of this content, the preferred items pair first, in order.
        std::vector<std::size_t> chosen;
        for (std::size_t i = f; i < fEnd; ++i)
            chosen.push_back(fromContent[i].second);
        if (preferred && chosen.size() > tEnd - t) {
            std::stable_partition(chosen.begin(), chosen.end(), preferred);
            chosen.resize(tEnd - t);
            std::sort(chosen.begin(), chosen.end());
        }
        for (std::size_t i = 0; i < chosen.size() && t + i < tEnd; ++i) {
            pairs[chosen[i]] = int(toContent[t + i].second);
            toTaken[t + i] = true;
        }
        f = fEnd;
        t = tEnd;
    }
    // What content could not tell goes by occurrence.
    std::vector<std::size_t> toLeft;
    for (std::size_t t = 0; t < toContent.size(); ++t) {
        if (!toTaken[t])
            toLeft.push_back(toContent[t].second);
    }
    std::sort(toLeft.begin(), toLeft.end());
    std::size_t next = 0;
    for (const std::size_t item : from) {
        if (pairs[item] < 0 && next < toLeft.size())
            pairs[item] = int(toLeft[next++]);
    }
}

std::uint64_t entryHash(std::string_view name, std::string_view value)
{
    return files::hashOf(name) ^ std::rotl(files::hashOf(value), 1);
}

}  // namespace

std::vector<int> align(const AlignedSide& from, const AlignedSide& to,
                       const std::function<bool(std::size_t item)>& preferred)
{
    std::vector<int> pairs(from.keys.size(), -1);
    const KeyOrder& fromOrder = from.order();
    const KeyOrder& toOrder = to.order();
    for (std::size_t f = 0, t = 0; f < fromOrder.order.size();) {
        const std::size_t fEnd = fromOrder.runEnd(from, f);
        while (t < toOrder.order.size() && KeyOrder::compare(to, toOrder.order[t], from, fromOrder.order[f]) < 0)
            ++t;
        if (t < toOrder.order.size() && KeyOrder::compare(to, toOrder.order[t], from, fromOrder.order[f]) == 0) {
            const std::size_t tEnd = toOrder.runEnd(to, t);
            alignKey(std::span(fromOrder.order).subspan(f, fEnd - f), std::span(toOrder.order).subspan(t, tEnd - t),
                     from, to, preferred, pairs);
            t = tEnd;
        }
        f = fEnd;
    }
    return pairs;
}

std::vector<GroupName> groupNames(const LiveGroups& groups)
{
    // The items of each header lie together in the order by key, by position among them.
    const KeyOrder& byKey = groups.side.order();
    std::vector<GroupName> names(groups.positions.size());
    for (std::size_t start = 0; start < byKey.order.size();) {
        const std::size_t end = byKey.runEnd(groups.side, start);
        for (std::size_t i = start; i < end; ++i) {
            const std::size_t item = byKey.order[i];
            names[item] = {std::string(groups.side.keys[item]), int(i - start), int(end - start)};
        }
        start = end;
    }
    return names;
}

bool sameLiveEntries(const Document& a, int groupA, const Document& b, int groupB)
{
    const GroupRecord& x = a.group(groupA);
    const GroupRecord& y = b.group(groupB);
    std::size_t i = 0;
    std::size_t j = 0;
    for (;; ++i, ++j) {
        while (i < x.Names.size() && !x.EntryAlive[i])
            ++i;
        while (j < y.Names.size() && !y.EntryAlive[j])
            ++j;
        if (i == x.Names.size() || j == y.Names.size())
            return i == x.Names.size() && j == y.Names.size();
        if (a.text(x.Names[i]) != b.text(y.Names[j]) || a.text(x.Values[i]) != b.text(y.Values[j]))
            return false;
    }
}

std::uint64_t entriesHash(const Document& document, int group)
{
    std::uint64_t hash = 0;
    const GroupRecord& record = document.group(group);
    for (std::size_t k = 0; k < record.Names.size(); ++k) {
        if (record.EntryAlive[k])
            hash += entryHash(document.text(record.Names[k]), document.text(record.Values[k]));
    }
    return hash;
}

LiveGroups::LiveGroups(const Document& document)
{
    for (int g = 1; g <= document.GroupCount(); ++g) {
        if (document.group(g).Alive) {
            positions.push_back(std::int16_t(g));
            side.keys.push_back(document.text(document.group(g).Header));
        }
    }
    side.content = [&document, this](std::size_t item) { return entriesHash(document, positions[item]); };
}

LiveEntriesOf::LiveEntriesOf(const Document& document, int group)
{
    const GroupRecord& record = document.group(group);
    for (std::size_t k = 0; k < record.Names.size(); ++k) {
        if (record.EntryAlive[k]) {
            positions.push_back(std::int16_t(k + 1));
            side.keys.push_back(document.text(record.Names[k]));
        }
    }
    side.content = [&document, &record, this](std::size_t item) {
        return files::hashOf(document.text(record.Values[std::size_t(positions[item] - 1)]));
    };
}

}  // namespace modMain
