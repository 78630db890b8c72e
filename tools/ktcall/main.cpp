// ktcall: feeds the simulator adapter of a running Kanata195 with calls,
// line errors, notices and stored calls, and reads back what it dialled.
// Follows the program's work-folder rules, so XDG_DATA_HOME picks the copy.
#include "plugins/common/SimulatorSocket.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

enum Exit { Ok = 0, Rejected = 1, NotListening = 2, Usage = 64, NoInput = 66 };

const char* const kUsage =
    "使い方:\n"
    "  ktcall 番号              着信を送る（例: ktcall 0312345678）\n"
    "  ktcall 番号 番号 ...     一件ずつ順に送り、受け付けられた番号を\n"
    "                           「OK 番号」と一行ずつ表示する\n"
    "  ktcall P|O|C|S|$         番号のない着信を送る（P 匿名 O 表示圏外 C 公衆電話\n"
    "                           S 契約条件 $ 特殊電話番号）\n"
    "  ktcall --error コード 文  回線エラーを送る\n"
    "  ktcall --notice コード 文 回線からのお知らせを送る\n"
    "  ktcall --history ファイル アダプターの着信履歴を置き換える\n"
    "                           （1 行に「番号,yyyymmdd,hhnnss」）\n"
    "  ktcall --dialled         発信した番号を「回線,番号」で表示する\n"
    "  ktcall --help            この説明\n"
    "着信帳１９.５ がシミュレーターで回線を開いている必要があります。\n"
    "作業フォルダーは $XDG_DATA_HOME/Tenko/Kanata195 です。\n";

int usage(const std::string& problem) {
    std::cerr << "ktcall: " << problem << "\n" << kUsage;
    return Usage;
}

std::string joined(const std::vector<std::string>& args, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < args.size(); ++i)
        text += (i > from ? " " : "") + args[i];
    return text;
}

bool readFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    content = s.str();
    return true;
}

// One request, one answer. Returns the exit code; the answer's payload
// goes to `payload`.
int exchange(const std::string& request, std::string& payload) {
    const std::filesystem::path path = kanata::adapter::simulatorSocketPath();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path) {
        std::cerr << "ktcall: 作業フォルダーのパスが長すぎます: " << path << "\n";
        return NotListening;
    }
    std::strcpy(address.sun_path, path.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        if (fd >= 0)
            close(fd);
        std::cerr << "ktcall: 着信帳１９.５ のシミュレーターにつながりません (" << path.string()
                  << ": " << std::strerror(error) << ")\n"
                  << "プログラムが起動していて、機器に「シミュレーター」を選んでいるか確認して"
                     "ください。\n";
        return NotListening;
    }
    std::size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    shutdown(fd, SHUT_WR);
    std::string reply;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    const std::size_t eol = reply.find('\n');
    const std::string status = reply.substr(0, eol);
    payload = eol == std::string::npos ? "" : reply.substr(eol + 1);
    if (status == "OK")
        return Ok;
    if (status == "ERR") {
        std::cerr << "ktcall: シミュレーターが受け付けませんでした: " << payload << "\n";
        return Rejected;
    }
    std::cerr << "ktcall: シミュレーターから応答がありませんでした\n";
    return NotListening;
}

int run(const std::vector<std::string>& args) {
    if (args.empty())
        return usage("何を送るか指定してください");
    const std::string& first = args[0];
    std::string payload;
    if (first == "--help" || first == "-h") {
        std::cout << kUsage;
        return Ok;
    }
    if (first == "--error" || first == "--notice") {
        if (args.size() < 3)
            return usage(first + " にはコードと文が必要です");
        const char* verb = first == "--error" ? "ERROR " : "NOTICE ";
        return exchange(verb + args[1] + "\n" + joined(args, 2), payload);
    }
    if (first == "--history") {
        if (args.size() != 2)
            return usage("--history にはファイルを一つ指定してください");
        std::string content;
        if (!readFile(args[1], content)) {
            std::cerr << "ktcall: ファイルが読めません: " << args[1] << "\n";
            return NoInput;
        }
        const int rc = exchange("HISTORY\n" + content, payload);
        if (rc == Ok)
            std::cout << "着信履歴 " << payload.substr(0, payload.find('\n')) << " 件\n";
        return rc;
    }
    if (first == "--dialled") {
        if (args.size() != 1)
            return usage("--dialled に引数はいりません");
        const int rc = exchange("DIALLED\n", payload);
        if (rc == Ok)
            std::cout << payload;
        return rc;
    }
    if (first.rfind("--", 0) == 0)
        return usage("知らないオプションです: " + first);
    if (args.size() == 1)
        return exchange("CALL " + first + "\n", payload);
    // Several calls one after another. The simulator answers each only once
    // the program has the call safe, so every "OK" line is a call the
    // program will store; a failed one does not stop the rest.
    int result = Ok;
    for (const std::string& number : args) {
        const int rc = exchange("CALL " + number + "\n", payload);
        if (rc == Ok)
            std::cout << "OK " << number << std::endl;
        else if (result == Ok)
            result = rc;
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    return run(std::vector<std::string>(argv + 1, argv + argc));
}
