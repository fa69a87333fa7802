// SDL_image never returns from a file that opens as a GIF and then runs into junk: it spins at
// the end of the file, with the screen already grabbed. giflib walks the same file safely, so
// every picture passes through it before the loader sees it.
#include "picture_check.h"

#include <SDL.h>
#include <gif_lib.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Verdict {
    std::string file;
    bool complete;
    std::string reason;
};

const char* giflibReason(int error) {
    const char* reason = GifErrorString(error);
    return reason ? reason : "cut short or damaged";
}

// Walks every block, skipping the compressed pixel data block by block instead of decoding it.
bool walk(GifFileType* gif, std::string& reason) {
    int images = 0;
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    do {
        GifByteType* block = nullptr;
        int ignored = 0;
        bool ok = DGifGetRecordType(gif, &record) == GIF_OK;
        if (ok && record == IMAGE_DESC_RECORD_TYPE) {
            ok = DGifGetImageDesc(gif) == GIF_OK && DGifGetCode(gif, &ignored, &block) == GIF_OK;
            while (ok && block)
                ok = DGifGetCodeNext(gif, &block) == GIF_OK;
            ++images;
        } else if (ok && record == EXTENSION_RECORD_TYPE) {
            ok = DGifGetExtension(gif, &ignored, &block) == GIF_OK;
            while (ok && block)
                ok = DGifGetExtensionNext(gif, &block) == GIF_OK;
        } else if (ok && record != TERMINATE_RECORD_TYPE) {
            gif->Error = D_GIF_ERR_WRONG_RECORD;
            ok = false;
        }
        if (!ok) {
            reason = std::string("not a complete GIF: ") + giflibReason(gif->Error);
            return false;
        }
    } while (record != TERMINATE_RECORD_TYPE);
    if (images == 0)
        reason = "a GIF without a picture";
    return images > 0;
}

Verdict check(const char* file) {
    Verdict verdict{file, false, ""};
    int error = 0;
    errno = 0;
    GifFileType* gif = DGifOpenFileName(file, &error);
    if (!gif) {
        if (error == D_GIF_ERR_OPEN_FAILED && errno != 0)
            verdict.reason = std::strerror(errno);
        else
            verdict.reason = std::string("not a GIF: ") + giflibReason(error);
        return verdict;
    }
    verdict.complete = walk(gif, verdict.reason);
    DGifCloseFile(gif, &error);
    return verdict;
}

} // namespace

bool isCompleteGif(const char* file) {
    static std::vector<Verdict> verdicts;
    const Verdict* found = nullptr;
    for (const Verdict& v : verdicts)
        if (v.file == file)
            found = &v;
    if (!found) {
        verdicts.push_back(check(file));
        found = &verdicts.back();
    }
    if (!found->complete)
        SDL_SetError("%s", found->reason.c_str());
    return found->complete;
}
