// Pack and Unpack speed on what the export packs: the SQL script of a
// generated journal, cut to 5 MB and 50 MB. Reports MB/s and the stream's
// size as a share of the input ("ratio"). BM_Plain* run the plain codec of
// plain_lzhuf.h on the same input, as the peer.

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <map>
#include <memory>
#include <stdexcept>

#include "backup/lz_arc.h"
#include "plain_lzhuf.h"
#include "tools/gen/journal_generator.h"

namespace {

constexpr quint32 kSeed = 1;

const QByteArray& journalSql(std::int64_t bytes) {
    static std::map<std::int64_t, QByteArray> cache;
    QByteArray& sql = cache[bytes];
    if (sql.isEmpty()) {
        // Rows run to about 600 bytes of SQL each; make enough and cut.
        sql = testdata::journalSql(int(bytes / 500) + 100, kSeed);
        if (sql.size() < bytes) throw std::runtime_error("generated SQL too short");
        sql.truncate(bytes);
    }
    return sql;
}

const QByteArray& packedSql(std::int64_t bytes) {
    static std::map<std::int64_t, QByteArray> cache;
    QByteArray& stream = cache[bytes];
    if (stream.isEmpty()) {
        const QByteArray& sql = journalSql(bytes);
        backup::TLzArc z(reinterpret_cast<const unsigned char*>(sql.constData()),
                         std::int32_t(sql.size()));
        z.Pack();
        if (!z.IsOk()) throw std::runtime_error("journal SQL did not pack");
        stream = QByteArray(reinterpret_cast<const char*>(z.Output()), z.CodeLength() + 4);
    }
    return stream;
}

void BM_Pack(benchmark::State& state) {
    const QByteArray& sql = journalSql(state.range(0));
    std::uint32_t code = 0;
    for (auto _ : state) {
        // Heap-allocated as the archive does it: a codec's two allocations.
        auto z = std::make_unique<backup::TLzArc>(
            reinterpret_cast<const unsigned char*>(sql.constData()), std::int32_t(sql.size()));
        z->Pack();
        if (!z->IsOk()) state.SkipWithError("pack failed");
        code = z->CodeLength();
        benchmark::DoNotOptimize(z->Output());
    }
    state.SetBytesProcessed(state.iterations() * sql.size());
    state.counters["ratio"] = double(code + 4) / double(sql.size());
}

void BM_Unpack(benchmark::State& state) {
    const QByteArray& sql = journalSql(state.range(0));
    const QByteArray& stream = packedSql(state.range(0));
    for (auto _ : state) {
        auto z = std::make_unique<backup::TLzArc>(
            reinterpret_cast<const unsigned char*>(stream.constData()),
            std::int32_t(stream.size()));
        z->Unpack();
        if (!z->IsOk() || z->TextSize() != std::uint32_t(sql.size()))
            state.SkipWithError("unpack failed");
        benchmark::DoNotOptimize(z->Output());
    }
    state.SetBytesProcessed(state.iterations() * sql.size());
    state.counters["ratio"] = double(stream.size()) / double(sql.size());
}

const unsigned char* bytesOf(const QByteArray& a) {
    return reinterpret_cast<const unsigned char*>(a.constData());
}

void BM_PlainPack(benchmark::State& state) {
    const QByteArray& sql = journalSql(state.range(0));
    std::size_t size = 0;
    for (auto _ : state) {
        const auto stream = plain_lzhuf::pack(bytesOf(sql), std::size_t(sql.size()));
        if (stream.empty()) state.SkipWithError("pack failed");
        size = stream.size();
        benchmark::DoNotOptimize(stream.data());
    }
    state.SetBytesProcessed(state.iterations() * sql.size());
    state.counters["ratio"] = double(size) / double(sql.size());
}

void BM_PlainUnpack(benchmark::State& state) {
    const QByteArray& sql = journalSql(state.range(0));
    const QByteArray& stream = packedSql(state.range(0));
    for (auto _ : state) {
        const auto text = plain_lzhuf::unpack(bytesOf(stream), std::size_t(stream.size()));
        if (!text || text->size() != std::size_t(sql.size())) {
            state.SkipWithError("unpack failed");
            break;
        }
        benchmark::DoNotOptimize(text->data());
    }
    state.SetBytesProcessed(state.iterations() * sql.size());
    state.counters["ratio"] = double(stream.size()) / double(sql.size());
}

}  // namespace

BENCHMARK(BM_Pack)->Arg(5'000'000)->Arg(50'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Unpack)->Arg(5'000'000)->Arg(50'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainPack)->Arg(5'000'000)->Arg(50'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainUnpack)->Arg(5'000'000)->Arg(50'000'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
