// The listing lines of the functional-group search that the group tests expect, in runs of
// lines joined with `+`.
#pragma once

#include <string>
#include <vector>

namespace kova::test {

using Lines = std::vector<std::string>;

// The search trying the group of a tag.
inline Lines cand(const std::string& tag) {
    return {"", " DetExcept :: checking " + tag + " group..."};
}
// The search giving up on the group of a tag.
inline Lines unknown(const std::string& tag) {
    return {"", " DetExcept :: Unknown " + tag + " functional group", "",
            " See file group.ang for more info...", ""};
}
inline Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace kova::test
