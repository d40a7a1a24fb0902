// Expansion throughput of the stub's expander, in bytes of output per
// second, on real DLLs compressed by qelpack's optimal encoder. The stream
// is read from a real FILE and the output written to one, as in the stub.
#include <string.h>

#include <benchmark/benchmark.h>

#include "bench/bench_files.h"
#include "expand/bit_reader.h"
#include "expand/lzss_expander.h"
#include "pack/lzss_encoder.h"

namespace {

std::vector<unsigned char> compressBytes(const std::vector<unsigned char>& input, EncoderMode mode)
{
    EncoderInput encoderInput;
    openEncoderInput(&encoderInput, input.size());
    memcpy(encoderInputBytes(&encoderInput), input.data(), input.size());
    FILE* stream = tmpfile();
    EncoderStats stats;
    encodeStream(&encoderInput, mode, stream, &stats);
    closeEncoderInput(&encoderInput);
    std::vector<unsigned char> bytes(stats.bytes);
    rewind(stream);
    if (fread(bytes.data(), 1, bytes.size(), stream) != bytes.size())
        bytes.clear();
    fclose(stream);
    return bytes;
}

void expandLibrary(benchmark::State& state, const std::string& path)
{
    std::vector<unsigned char> library = benchmarkRead(path);
    std::vector<unsigned char> stream = compressBytes(library, ENCODE_OPTIMAL);
    FILE* input = tmpfile();
    fwrite(stream.data(), 1, stream.size(), input);
    FILE* output = fopen("/dev/null", "wb");
    for (auto _ : state) {
        rewind(input);
        rewind(output);
        BitReader* reader = openBitReader(input);
        expandStream(reader, output);
        closeBitReader(reader, 0);
        fflush(output);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)library.size());
    state.counters["ratio"] = (double)stream.size() / (double)library.size();
    fclose(input);
    fclose(output);
}

void encodeLibrary(benchmark::State& state, const std::string& path, EncoderMode mode)
{
    std::vector<unsigned char> library = benchmarkRead(path);
    EncoderInput encoderInput;
    openEncoderInput(&encoderInput, library.size());
    memcpy(encoderInputBytes(&encoderInput), library.data(), library.size());
    FILE* output = fopen("/dev/null", "wb");
    EncoderStats stats = {};
    for (auto _ : state) {
        encodeStream(&encoderInput, mode, output, &stats);
        fflush(output);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)library.size());
    state.counters["ratio"] = (double)stats.bytes / (double)library.size();
    closeEncoderInput(&encoderInput);
    fclose(output);
}

const bool registered = [] {
    for (const std::string& path : benchmarkLibraries()) {
        std::string name = benchmarkName(path);
        benchmark::RegisterBenchmark(("expand/" + name).c_str(), expandLibrary, path)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("encode_optimal/" + name).c_str(), encodeLibrary, path, ENCODE_OPTIMAL)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("encode_greedy/" + name).c_str(), encodeLibrary, path, ENCODE_GREEDY)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace

BENCHMARK_MAIN();
