// Writes the example puzzles shipped in the program folder's 例題: for every
// rank, one created puzzle per requested number, saved as a freshly created
// puzzle is saved from the window (create mode, givens only, untouched marks).
//
// usage: masuvo-make-examples FOLDER NUMBER:SYMMETRY...
// The files are named 例題_<rank>_<k>.kzd, k counting the requests from 1.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/rating.h"
#include "generator/creation.h"
#include "session/headless_view.h"
#include "session/play_session.h"

namespace {

struct Request {
    int number = 0;
    int symmetry = 0;
};

bool ParseRequest(const std::string& text, Request& request) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    char* end = nullptr;
    request.number = static_cast<int>(std::strtol(text.c_str(), &end, 10));
    if (end != text.c_str() + colon) return false;
    request.symmetry = static_cast<int>(std::strtol(text.c_str() + colon + 1, &end, 10));
    return *end == '\0' && request.symmetry >= 0 && request.symmetry <= 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: masuvo-make-examples FOLDER NUMBER:SYMMETRY...\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::vector<Request> requests;
    for (int i = 2; i < argc; ++i) {
        Request request;
        if (!ParseRequest(argv[i], request)) {
            std::fprintf(stderr, "masuvo-make-examples: not NUMBER:SYMMETRY: %s\n", argv[i]);
            return 2;
        }
        requests.push_back(request);
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    bool failed = false;
    masuvo::HeadlessView view([&failed](const std::string& message) {
        std::fprintf(stderr, "%s\n", message.c_str());
        failed = true;
    });
    masuvo::PlaySession session(view, masuvo::DataFolders{});

    for (int rank = 0; rank < masuvo::kRankCount; ++rank) {
        for (size_t k = 0; k < requests.size(); ++k) {
            masuvo::CreationRequest creation;
            creation.number = requests[k].number;
            creation.rank = rank;
            creation.symmetry = requests[k].symmetry;
            const masuvo::CreationOutcome outcome = masuvo::CreateRated(creation);
            if (outcome.status != masuvo::CreationStatus::Found) {
                std::fprintf(stderr, "masuvo-make-examples: nothing found for rank %d number %d\n", rank,
                             creation.number);
                return 1;
            }

            // What the window does with a created puzzle.
            session.ResetSession();
            for (int cell = 0; cell < 81; ++cell) {
                const int digit = outcome.puzzle.value[cell / 9][cell % 9];
                session.values[cell] = digit;
                session.origin[cell] = digit != 0 ? 1 : 0;
            }
            session.name = masuvo::RatedPuzzleName(rank, creation.symmetry, creation.number);
            session.CheckState(false, "", false);

            const std::string file = std::string("例題_") + masuvo::RankNameOfIndex(rank) + "_" +
                                     std::to_string(k + 1) + ".kzd";
            if (!session.WritePuzzleFile((folder / file).string())) return 1;
            std::fprintf(stderr, "%s\t%s\t%s\t%d s\n", file.c_str(), masuvo::GridText(outcome.puzzle).c_str(),
                         session.name.c_str(), outcome.seconds);
        }
    }
    return failed ? 1 : 0;
}
