// kova: automatic setup of local coordinate systems for multipole refinement.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "main/heap.hpp"
#include "main/run.hpp"

int main(int argc, char** argv) {
    kova::prepare_heap();
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    return kova::run(std::filesystem::current_path(), args, std::cin, std::cout, std::cerr);
}
