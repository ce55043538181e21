// The fuzz targets' seeds and every input that once made them fail, loaded again: each must
// give one of the loader's result codes, a refusal must say why, and a mesh that loads must be
// consistent (the input loader aborts otherwise).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "d3d9api.h"
#include "gfxsupport/meshes/xfile_errors.h"
#include "gfxsupport/read_failure.h"
#include "xfile_fuzz_input.h"

namespace {

bool IsLoaderResult(HRESULT result) {
  return result == S_OK || result == E_FAIL || result == E_OUTOFMEMORY || result == D3DERR_INVALIDCALL ||
         result == ErrXFileBadType || result == ErrXFileBadVersion || result == ErrXFileBadFloatSize;
}

TEST(XFileFuzzInputs, LoadCleanly) {
  const struct {
    const char* folder;
    XFuzzForm form;
  } forms[] = {{"text", XFuzzForm::Text}, {"binary", XFuzzForm::Binary}, {"compressed", XFuzzForm::Compressed}};
  size_t loaded = 0;
  for (const char* kind : {"seeds", "regressions"}) {
    for (const auto& form : forms) {
      std::filesystem::path folder = std::filesystem::path(XFILE_FUZZ_FOLDER) / kind / form.folder;
      if (!std::filesystem::exists(folder)) continue;
      for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream file(entry.path(), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        HRESULT result = LoadFuzzInput(form.form, bytes.data(), bytes.size());
        EXPECT_TRUE(IsLoaderResult(result)) << entry.path() << " gave " << std::hex << result;
        if (FAILED(result)) {
          EXPECT_STRNE(LastReadFailure(), "") << entry.path() << ": a refusal says why";
        }
        if (std::string(kind) == "seeds") {
          EXPECT_EQ(result, S_OK) << entry.path();
        }
        ++loaded;
      }
    }
  }
  EXPECT_GE(loaded, 6u);  // the seeds at least: the folders were found
}

}  // namespace
