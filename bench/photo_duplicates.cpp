// Near-duplicate photos across the two parts of the photo split: a photo in
// the measuring part that is (nearly) a photo of the tuning part lets the
// tuning, and the digit model trained on the tuning photos, see it.
//
//   photo_duplicates PHOTO_FOLDER TUNING_LIST MEASURING_LIST
//
// Two photos are taken for one when their truth boards agree in at least 75
// of 81 cells: the same printed puzzle, however photographed, so the same
// print of the same digits. The difference hash of the pictures (64 bits: a
// 9 × 8 grey thumbnail, one bit per left-right comparison) is printed beside
// each pair to tell a copy of one picture (0 to 2 bits apart) from another
// photo of the page; it does not join photos by itself, as newspaper pages
// of different puzzles are as close as that at 9 × 8. Joined pairs form
// groups. The rule that settles a group split
// across the parts: it goes to the part of its lowest-numbered photo.
// Prints every pair, every group with its photos' parts, and the moves the
// rule asks for; exits 1 when any group is split across the parts.
#include <algorithm>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "bench/photo_truth.h"
#include "vision/image_decoding.h"

namespace {

struct Photo {
    std::string name;
    std::string part;
    std::string truth;  // 81 digits
    uint64_t hash = 0;
    long number = -1;  // from imageN; -1 when the name has none
};

std::vector<std::string> ReadList(const std::string& path) {
    std::vector<std::string> names;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#') names.push_back(line);
    return names;
}

uint64_t DifferenceHash(const cv::Mat& bgr) {
    cv::Mat grey, small;
    cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
    cv::resize(grey, small, cv::Size(9, 8), 0, 0, cv::INTER_AREA);
    uint64_t hash = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) hash = hash << 1 | (small.at<uint8_t>(y, x) < small.at<uint8_t>(y, x + 1));
    return hash;
}

long NumberOf(const std::string& name) {
    const size_t digits = name.find_first_of("0123456789");
    return digits == std::string::npos ? -1 : std::stol(name.substr(digits));
}

int Find(std::vector<int>& parent, int i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: photo_duplicates PHOTO_FOLDER TUNING_LIST MEASURING_LIST\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    std::vector<Photo> photos;
    for (const auto& [list, part] : {std::pair{argv[2], "tuning"}, std::pair{argv[3], "measuring"}})
        for (const std::string& name : ReadList(list)) {
            Photo photo{name, part, ReadPhotoTruth(folder + "/" + name.substr(0, name.rfind('.')) + ".dat")};
            cv::Mat bgr;
            masuvo::PictureFailure failure;
            if (photo.truth.size() != 81 || !masuvo::DecodePictureFile(folder + "/" + name, bgr, failure)) {
                std::fprintf(stderr, "%s: picture or truth unreadable, skipped\n", name.c_str());
                continue;
            }
            photo.hash = DifferenceHash(bgr);
            photo.number = NumberOf(name);
            photos.push_back(photo);
        }

    std::vector<int> parent(photos.size());
    std::iota(parent.begin(), parent.end(), 0);
    std::puts("pair\tsame_cells\thash_bits_apart");
    for (size_t a = 0; a < photos.size(); ++a)
        for (size_t b = a + 1; b < photos.size(); ++b) {
            int same = 0;
            for (int k = 0; k < 81; ++k) same += photos[a].truth[k] == photos[b].truth[k];
            const int apart = static_cast<int>(std::bitset<64>(photos[a].hash ^ photos[b].hash).count());
            if (same < 75) continue;
            std::printf("%s %s\t%d\t%d\n", photos[a].name.c_str(), photos[b].name.c_str(), same, apart);
            parent[Find(parent, static_cast<int>(a))] = Find(parent, static_cast<int>(b));
        }

    std::map<int, std::vector<int>> groups;
    for (size_t i = 0; i < photos.size(); ++i) groups[Find(parent, static_cast<int>(i))].push_back(static_cast<int>(i));
    int split = 0;
    for (auto& [root, members] : groups) {
        if (members.size() < 2) continue;
        // A photo without a number sorts last.
        std::sort(members.begin(), members.end(), [&](int a, int b) {
            return static_cast<unsigned long>(photos[a].number) < static_cast<unsigned long>(photos[b].number);
        });
        const std::string& home = photos[members.front()].part;
        bool across = false;
        std::printf("group:");
        for (int i : members) {
            std::printf(" %s(%s)", photos[i].name.c_str(), photos[i].part.c_str());
            across |= photos[i].part != home;
        }
        std::printf(across ? " -> split; all go to the %s part\n" : "\n", home.c_str());
        split += across;
        for (int i : members)
            if (across && photos[i].part != home) std::printf("  move %s to %s\n", photos[i].name.c_str(), home.c_str());
    }
    std::printf("groups split across the parts: %d\n", split);
    return split ? 1 : 0;
}
