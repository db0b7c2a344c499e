// Writes the seed corpora of the fuzz targets from real packets: requests a client
// sends (log-on, every query, the commands built from what the queries answer, as
// the screens build them) and the demo server's answers to them.
//   make_seeds FOLDER    writes FOLDER/{request,frame,answer,gbk}/NNN
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/net/Frame.h"
#include "common/net/Logon.h"
#include "common/records/RequestKeys.h"
#include "common/records/TransactionCodes.h"
#include "fuzz/FuzzServer.h"

namespace {

namespace fs = std::filesystem;

struct Request {
    _PacketHead head{};
    std::string body;
};

struct Answer {
    _PacketHead head{};
    std::vector<char> body;
};

template <class R>
std::string Bytes(const R& r) {
    return std::string(reinterpret_cast<const char*>(&r), sizeof r);
}

Request Make(int code, std::string body, int32_t op = 0, int16_t count = 1) {
    Request r;
    r.head.nTransCode = static_cast<int16_t>(code);
    r.head.nCount = count;
    r.head.nSubSystem = code >= 163 && code <= 167 ? kSubSystemPrompt : kSubSystemDefault;
    r.head.nOperation = op;
    r.body = std::move(body);
    return r;
}

std::string Text(std::size_t width, const std::string& text) {
    std::string field(width, '\0');
    std::memcpy(field.data(), text.data(), std::min(text.size(), width - 1));
    return field;
}

std::string DecimalKey(std::size_t width, int32_t id) { return Text(width, std::to_string(id)); }

void Write(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    const fs::path root(argv[1]);
    for (const char* kind : {"request", "frame", "answer", "gbk"}) fs::create_directories(root / kind);
    auto& server = kel::fuzz::DemoServer();
    kel::server::ConnectionContext client{"demo"};
    auto ask = [&](const Request& r) {
        Answer a;
        server.Handle(client, r.head, r.body, a.head, a.body);
        return a;
    };

    _LogonBody logon{};
    std::strcpy(logon.szUserCode, "demo");
    std::strcpy(logon.szPassword, "demo");
    std::vector<Request> requests = {
        Make(kel::net::kLogonTransCode, Bytes(logon)),
        Make(180, ""),
        Make(182, ""),
        Make(186, Text(9, "2024")),
        Make(186, Text(9, "")),
        Make(191, Text(64, "")),
        Make(198, Text(64, "")),
        Make(210, ""),
        Make(211, std::string(164, '\0')),
        Make(215, Text(5, "01")),
        Make(216, Text(5, "B1")),
        Make(134, Text(7, "202401")),
        Make(163, Text(21, "demo")),
        Make(165, Text(21, "demo")),
        Make(166, Text(21, "demo")),
    };
    // Commands built from what the queries answer, as a screen sends back what it loaded.
    const Answer codes = ask(requests[1]);
    if (codes.head.nCount > 0) {
        std::string code(codes.body.data(), sizeof(_ContCodeStruct));
        requests.push_back(Make(181, code, 1));
        requests.push_back(Make(181, code.substr(0, 3), 2));
    }
    const Answer reinsurers = ask(requests[2]);
    if (reinsurers.head.nCount > 0) {
        const std::string ri(reinsurers.body.data(), sizeof(_RICompanyStruct));
        const Answer accounts = ask(Make(215, ri.substr(0, 5)));
        requests.push_back(Make(183, ri + std::string(accounts.body.begin(), accounts.body.end()), 1,
                                static_cast<int16_t>(accounts.head.nCount)));
        requests.push_back(Make(214, ri.substr(0, 5), 2));
        requests.push_back(Make(3019, ri.substr(0, 5) + std::string(1054 - 5, '\0')));
    }
    const Answer treaties = ask(requests[4]);
    for (int i = 0; i < std::min<int>(treaties.head.nCount, 2); ++i) {
        _ContInfoStruct info{};
        std::memcpy(&info, treaties.body.data() + i * sizeof info, sizeof info);
        const Answer lists = ask(Make(190, DecimalKey(10, info.nContId)));
        requests.push_back(Make(190, DecimalKey(10, info.nContId)));
        requests.push_back(Make(207, DecimalKey(64, info.nContId)));
        requests.push_back(Make(193, DecimalKey(64, info.nContId)));
        requests.push_back(Make(200, Bytes(info)));
        requests.push_back(Make(188, DecimalKey(32, info.nContId), 2));
        _ContDetailStruct filter{};
        filter.nContId = info.nContId;
        requests.push_back(Make(205, Bytes(filter)));
        if (lists.head.cStatus == 0 && lists.body.size() >= sizeof(_ContSubListHead)) {
            _ContSubListHead counts{};
            std::memcpy(&counts, lists.body.data(), sizeof counts);
            const std::string all(lists.body.begin() + sizeof counts, lists.body.end());
            const std::size_t reins = counts.nReinsCount * sizeof(_ContReinsStruct);
            const std::size_t risk = counts.nRiskCount * sizeof(_ContRiskStruct);
            const kel::records::ContSubCounts c{counts.nReinsCount, counts.nRiskCount, counts.nExtraCount};
            // 187 sends the product rows first, 189 the participants first.
            requests.push_back(Make(187,
                                    Bytes(*kel::records::MakeContSubHead(187, c)) + Bytes(info) +
                                        all.substr(reins, risk) + all.substr(0, reins) + all.substr(reins + risk),
                                    1));
            requests.push_back(Make(189, Bytes(*kel::records::MakeContSubHead(189, c)) + Bytes(info) + all, 0));
        }
    }
    const Answer sections = ask(requests[5]);
    if (sections.head.nCount > 0)
        requests.push_back(Make(192, std::string(sections.body.data(), sizeof(_SectionStruct)), 1));
    const Answer classes = ask(requests[6]);
    if (classes.head.nCount > 0)
        requests.push_back(Make(199, std::string(classes.body.data(), sizeof(_InsrncSectStruct)), 1));
    const Answer entries = ask(requests[10]);
    if (entries.head.nCount > 0)
        requests.push_back(Make(217, std::string(entries.body.data(), sizeof(_RIAgentStruct)), 1));

    // Every request on its own, all of them as one stream after the log-on, and each
    // answer (led by the manager pick the answer target reads first).
    std::string stream;
    int n = 0;
    for (const Request& r : requests) {
        char name[16];
        std::snprintf(name, sizeof name, "%03d", n++);
        Write(root / "request" / name, Bytes(r.head) + r.body);
        std::vector<char> frame;
        kel::net::EncodeFrame(r.head, r.body.data(), r.body.size(), frame);
        stream.append(frame.begin(), frame.end());
        Write(root / "frame" / name, std::string(frame.begin(), frame.end()));
        const Answer a = ask(r);
        static const int kPick[][2] = {{180, 0}, {182, 1}, {186, 2}, {207, 3},  {191, 4},  {193, 5}, {198, 6},
                                       {205, 7}, {210, 8}, {216, 9}, {211, 10}, {190, 11}, {215, 12}};
        for (const auto& [code, pick] : kPick)
            if (code == r.head.nTransCode)
                Write(root / "answer" / name, std::string(1, static_cast<char>(pick)) + Bytes(a.head) +
                                                  std::string(a.body.begin(), a.body.end()));
        if (!a.body.empty()) {
            // Text fields as they travel: each answer's bytes with a field width in front.
            Write(root / "gbk" / name,
                  std::string(1, static_cast<char>(20 + n % 40)) +
                      std::string(a.body.begin(), a.body.begin() + std::min<std::size_t>(a.body.size(), 512)));
        }
    }
    Write(root / "frame" / "stream", stream);
    Write(root / "gbk" / "utf8", std::string(1, '\x18') + "瀚海再保险股份有限公司 Hanhai Re 第一溢额合约");
    std::printf("make_seeds: %d requests written to %s\n", n, root.c_str());
    return 0;
}
