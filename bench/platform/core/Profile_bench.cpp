// Every UI text is looked up in the language file, which is read at each lookup.
#include "platform/win/core/Files.h"
#include "platform/win/core/Profile.h"
#include "platform/win/core/WString.h"

#include <benchmark/benchmark.h>
#include <string>
#include <unistd.h>

static void BM_LanguageFileLookup(benchmark::State& state) {
    std::string text = "\xEF\xBB\xBF[Rontage]\r\n";
    for (int i = 0; i < 300; ++i)
        text += "Key" + std::to_string(i) + "=Some user interface text number " +
                std::to_string(i) + "\r\n";
    const std::u16string file =
        ms::FromUtf8("/tmp/ms-bench-lang-" + std::to_string(::getpid()) + ".ini");
    ms::WriteFileAtomic(file, text);
    WCHAR buf[128];
    for (auto _ : state) {
        DWORD n =
            GetPrivateProfileString(u"Rontage", u"Key299", u"default", buf, 128, file.c_str());
        benchmark::DoNotOptimize(n);
    }
    DeleteFile(file.c_str());
}
BENCHMARK(BM_LanguageFileLookup);
