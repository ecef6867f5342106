// SMS PDU codec: one module command encoded, one reply line decoded.
#include <benchmark/benchmark.h>

#include <string>

#include "gsm/PduCodec.h"

namespace {

// A 20-character command as the sender hands it over (CR included).
const std::string kCommand = "SETTI01,0800,1700,1\r";
const std::string kNumber = "+491701234567";

void BM_EncodeCommand(benchmark::State& state) {
    std::string pdu;
    for (auto _ : state) {
        bool ok = kt::gsm::TextToPDUConversion(kCommand, kNumber, pdu);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(pdu.data());
    }
}
BENCHMARK(BM_EncodeCommand);

// An SMS-DELIVER line with a 7-octet service-centre field and a 20-character
// reply, built once from the encoder's user data.
std::string DeliverLine() {
    std::string submit;
    kt::gsm::TextToPDUConversion("IN:010010100101 OUT:", kNumber, submit);
    const std::string userData = submit.substr(submit.size() - 1 - 2 * 18 - 2, 2 + 2 * 18);
    return "07919471000000F0"
           "040C91947110325476"
           "0000"
           "62120711543280" +
           userData;
}

void BM_DecodeDeliver(benchmark::State& state) {
    const std::string line = DeliverLine();
    std::string text;
    kt::gsm::PDUTextConversion(line, text);
    if (text != "IN:010010100101 OUT:") {
        state.SkipWithError("the DELIVER line does not decode");
        return;
    }
    for (auto _ : state) {
        kt::gsm::PDUTextConversion(line, text);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_DecodeDeliver);

}  // namespace

BENCHMARK_MAIN();
