#include "hostile_faults.h"

namespace testsupport {

const std::vector<HostileFault>& HostileFaults() {
    using enum Outcome;
    static const std::vector<HostileFault> rows = {
        // The greeting and the replies themselves.
        {"no_greeting", kTimesOut, kTimesOut},
        {"greeting_then_silence", kTimesOut, kTimesOut},
        {"close_at_greeting", kFails, kFails},
        {"one_byte_at_a_time", kWorks, kWorks},
        {"drip_slower_than_timeout", kTimesOut, kTimesOut},
        {"multiline_unterminated", kTimesOut, kTimesOut},
        {"multiline_unterminated_close", kFails, kFails},
        {"huge_reply_line", kFails, kFails},
        {"huge_multiline_reply", kFails, kFails},
        {"nul_in_reply", kWorks, kWorks},
        {"invalid_utf8_in_reply", kWorks, kWorks},
        {"code_999", kFails, kFails},
        {"greeting_421", kFails, kFails},
        {"preliminary_forever", kFails, kFails},
        {"cr_lf_split", kWorks, kWorks},
        // Logging in.
        {"user_530", kFails, kFails},
        {"pass_530", kFails, kFails},
        {"close_at_user", kFails, kFails},
        {"close_at_pass", kFails, kFails},
        {"pass_silence", kTimesOut, kTimesOut},
        // Setting up a transfer.
        {"type_500", kFails, kWorks},
        {"close_at_type", kFails, kWorks},
        {"port_500", kFails, kFails},
        {"close_at_port", kFails, kFails},
        // The listing: skiff lists the file only for its size.
        {"list_550", kWorks, kFails},
        {"list_150_never_connects", kTimesOut, kTimesOut},
        {"list_other_address_first", kWorks, kWorks},
        {"list_endless", kFails, kFails, kHostileFileSize, true},
        {"list_huge_size", kWorks, kWorks},
        {"list_negative_size", kWorks, kWorks},
        {"list_nonnumeric_size", kWorks, kWorks},
        {"list_names_dotdot", kWorks, kWorks},
        {"list_name_slash", kWorks, kWorks},
        {"list_name_cr", kWorks, kWorks},
        {"list_name_lf", kWorks, kWorks},
        {"list_name_nul", kWorks, kWorks},
        {"list_name_overlong", kWorks, kWorks},
        {"list_close_control_after_150", kFails, kFails},
        {"list_no_final_reply", kTimesOut, kTimesOut},
        {"list_close_after_data", kFails, kFails},
        {"list_data_crlf_split", kWorks, kWorks},
        // The file: the browser never asks for it.
        {"retr_550", kFails, kWorks},
        {"retr_150_never_connects", kTimesOut, kWorks},
        {"retr_other_address_first", kWorks, kWorks},
        {"retr_more_bytes", kWorks, kWorks, kHostileFileSize + 3000},
        {"retr_fewer_bytes", kWorks, kWorks, kHostileFileSize - 3000},
        {"retr_close_control_after_150", kFails, kWorks},
        {"retr_no_final_reply", kTimesOut, kWorks},
        {"retr_426_at_end", kFails, kWorks},
    };
    return rows;
}

std::unique_ptr<ServerProcess> StartHostileServer(const std::string& fault) {
    return std::make_unique<ServerProcess>("scripted_ftp_server.py",
                                           std::vector<std::string>{"--hostile", fault});
}

std::string HostileFileBytes(size_t count) {
    std::string bytes(count, '\0');
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i % 256);
    return bytes;
}

}  // namespace testsupport
