// The client's side of the treaty data search: 10,000 records of a year shown in
// the search's grid, beside the least the same rows cost the grid. Built with
// everything, not run by CTest: run build*/bin/client_bench by hand.
//
//   Floor          the grid's rows made and filled with the texts they show, already
//                  formatted (what any fill of these rows must do, nothing else)
//   Fill           the search's own fill of the answer (RecordRows::Fill)
//   FillEveryCell  every field formatted into its column, hidden ones too (the
//                  way the list was filled before; shown, no goal)
//
// After Google Benchmark's lines it prints each as a ratio to the floor (medians of
// nine randomly interleaved repetitions) and the client memory a record costs
// beside the answer's bytes for it.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench/Repetitions.h"
#include "common/records/Records.h"
#include "common/text/GbkText.h"
#include "host/qxctlset/QXGrid.h"
#include "screens/ContInfoFields.h"
#include "screens/RecordRows.h"
#include "screens/S0000S7.h"
#include "screens/ScreenCommon.h"

namespace {

constexpr int kRecords = 10000;
constexpr int kShown = CS0000S7::COL_LEAD_RI + 1;

// A year's records as the server answers them: every field filled, ratios with
// digits beyond the four the grid shows, packed one after another.
const std::vector<char>& Answer() {
    static const std::vector<char> answer = [] {
        std::vector<char> bytes(kRecords * sizeof(_ContInfoStruct));
        for (int i = 0; i < kRecords; ++i) {
            _ContInfoStruct r{};
            r.nContId = i + 1;
            r.nLines = i % 7;
            r.nVipLines = i % 3;
            r.nAcctPeriod = 3;
            r.nLossCarry = i % 5;
            r.dUnexpRsvRatio = 0.5;
            r.dUnearnedRatio = 0.45;
            r.dQuotaRatio = 0.125 + i % 10 * 0.01;
            r.dLeadShare = 0.25;
            r.dCommRate = 0.123456;
            r.dTaxRate = 0.055;
            r.dPremRsvRatio = 0.4;
            r.dLossRsvRatio = 0.35;
            r.dCashLossLimit = 5000000.75 + i;
            r.dProfitCommRate = 0.2;
            r.dMgmtFeeRate = 0.005;
            r.dQuakeCommRate = 0.25;
            r.dQuakePremRatio = 0.05;
            r.dActCommRate = 0.32;
            r.dCoinsLimitCoef = 1.5;
            r.cCommInclTax = '1';
            const std::string code{static_cast<char>('A' + i % 26), static_cast<char>('0' + i / 26 % 10)};
            kel::text::PutField(r.szContCode, code.c_str());
            kel::text::PutField(r.szStartDate, "20240101");
            kel::text::PutField(r.szEndDate, "20241231");
            kel::text::PutField(r.szLimitCurr, "01");
            kel::text::PutField(r.szCancelDate, "20271231");
            kel::text::PutField(r.szLeadRICode, i % 2 ? "01" : "05");
            r.cAttribute = 'A';
            kel::text::PutField(r.szUserCode, "demo");
            kel::text::PutField(r.szUserCode2, "demo");
            kel::text::PutField(r.szContTypeName, "成数合约");
            kel::text::PutField(r.szContNo, (code + "-" + std::to_string(i)).c_str());
            r.dPlantRate = 0.001;
            r.cNetPremFlag = '1';
            r.dNetPremTaxRate = 0.03;
            std::memcpy(bytes.data() + i * sizeof r, &r, sizeof r);
        }
        return bytes;
    }();
    return answer;
}

// A copy of the answer as the channel hands it over (the rows take it).
char* AnswerCopy() {
    char* copy = static_cast<char*>(std::malloc(Answer().size()));
    std::memcpy(copy, Answer().data(), Answer().size());
    return copy;
}

_ContInfoStruct RecordAt(int i) {
    _ContInfoStruct r;
    std::memcpy(&r, Answer().data() + i * sizeof r, sizeof r);
    return r;
}

// The shown texts of every record, formatted once before any timing.
const std::vector<std::array<std::string, kShown>>& ShownTexts() {
    static const auto texts = [] {
        std::vector<std::array<std::string, kShown>> all(kRecords);
        for (int i = 0; i < kRecords; ++i)
            for (int col = 0; col < kShown; ++col)
                all[i][col] = kel::screens::ContInfoFields().CellText(RecordAt(i), col);
        return all;
    }();
    return texts;
}

void ColumnTypes(CQXGrid& grid) {
    for (int col = CS0000S7::COL_CONT_CODE; col <= CS0000S7::COL_CONT_NAME; ++col)
        grid.SetColumnType(col, CQXGrid::kColumnText);
}

void FloorFill(CQXGrid& grid) {
    for (const auto& texts : ShownTexts()) {
        const int row = kel::screens::AppendGridRow(grid);
        for (int col = 0; col < kShown; ++col) grid.SetItemText(row, col, texts[col].c_str(), 1);
    }
}

void EveryCellFill(CQXGrid& grid) {
    const auto& fields = kel::screens::ContInfoFields();
    ColumnTypes(grid);
    for (int i = 0; i < kRecords; ++i) {
        _ContInfoStruct record;
        std::memcpy(&record, Answer().data() + i * sizeof record, sizeof record);
        fields.FillRow(grid, kel::screens::AppendGridRow(grid), record);
    }
}

void Floor(benchmark::State& state) {
    CQXGrid grid;
    ShownTexts();
    for (auto _ : state) {
        state.PauseTiming();
        CS0000S7::SetUpGrid(grid);
        state.ResumeTiming();
        FloorFill(grid);
        benchmark::DoNotOptimize(grid.GetRowCount());
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(Floor)->Unit(benchmark::kMillisecond);

void Fill(benchmark::State& state) {
    kel::screens::RecordRows<_ContInfoStruct> records(kel::screens::ContInfoFields());
    CQXGrid grid;
    records.Attach(grid);
    for (auto _ : state) {
        state.PauseTiming();
        CS0000S7::SetUpGrid(grid);
        records.Clear();
        char* answer = AnswerCopy();
        state.ResumeTiming();
        ColumnTypes(grid);
        records.Fill(grid, answer, kRecords);
        benchmark::DoNotOptimize(grid.GetRowCount());
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(Fill)->Unit(benchmark::kMillisecond);

void FillEveryCell(benchmark::State& state) {
    CQXGrid grid;
    for (auto _ : state) {
        state.PauseTiming();
        CS0000S7::SetUpGrid(grid);
        state.ResumeTiming();
        EveryCellFill(grid);
        benchmark::DoNotOptimize(grid.GetRowCount());
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(FillEveryCell)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's median time in ns.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const double ns = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate ? run.aggregate_name == "median" : !medians_.count(name))
                medians_[name] = ns;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::optional<double> Time(const std::string& name) const {
        const auto it = medians_.find(name);
        return it == medians_.end() ? std::nullopt : std::optional<double>(it->second);
    }

private:
    std::map<std::string, double> medians_;
};

std::size_t HeapInUse() { return mallinfo2().uordblks; }

// Heap bytes a record costs once shown: the grid's rows and whatever the fill keeps.
template <class FillFn>
double BytesPerRecord(FillFn fill) {
    CQXGrid grid;
    CS0000S7::SetUpGrid(grid);
    malloc_trim(0);
    const std::size_t before = HeapInUse();
    fill(grid);
    const std::size_t after = HeapInUse();
    return static_cast<double>(after - before) / kRecords;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    if (!kel::bench::InitializeInterleaved(args)) return 1;
    Answer();
    ShownTexts();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-16s %12s %12s %8s %8s\n", "benchmark", "per record", "floor", "ratio", "goal");
    const auto floor = reporter.Time("Floor");
    for (const char* name : {"Fill", "FillEveryCell"}) {
        const auto t = reporter.Time(name);
        if (!t || !floor) continue;
        const double ratio = *t / *floor;
        std::printf("%-16s %9.3f us %9.3f us %7.2fx", name, *t / kRecords / 1e3, *floor / kRecords / 1e3, ratio);
        if (std::strcmp(name, "Fill") == 0) std::printf(" %7.1fx %s", 2.0, ratio <= 2.0 ? "met" : "MISSED");
        std::printf("\n");
    }

    const double answerBytes = sizeof(_ContInfoStruct);
    kel::screens::RecordRows<_ContInfoStruct> records(kel::screens::ContInfoFields());
    const double shown = BytesPerRecord([&](CQXGrid& grid) {
        records.Attach(grid);
        ColumnTypes(grid);
        records.Fill(grid, AnswerCopy(), kRecords);  // the answer kept counts
    });
    records.Clear();
    const double every = BytesPerRecord(EveryCellFill);
    std::printf(
        "\nclient memory per record: %.0f bytes (every cell filled: %.0f), the answer's %.0f bytes: "
        "%.2fx (goal 2x: %s)\n",
        shown, every, answerBytes, shown / answerBytes, shown / answerBytes <= 2.0 ? "met" : "MISSED");
    benchmark::Shutdown();
    return 0;
}
