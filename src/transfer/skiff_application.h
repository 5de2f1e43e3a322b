// skiff's start: the Qt application, the message-box prompt, the transfer
// dialog made the only window, and the exit code of its one job. main()
// only hands over to this.
#pragma once

namespace transfer {

class SkiffApplication {
public:
    // The whole program. Every argument after the program name is joined
    // with blanks, so the fields arrive as one text however the starter
    // split them.
    static int Main(int argc, char** argv);
};

}  // namespace transfer
