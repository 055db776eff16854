#pragma once

/**
 * The question before a command writes: asked on standard error, answered on standard input,
 * and only when standard input is a terminal, since a script cannot answer it.
 */
class Confirmation
{
public:
    enum class Answer { Yes, No, NoTerminal };

    /// Asks "Write N cameras? [y/N]" for @p nCameras; "y" or "yes", in any case, is yes.
    static Answer ask(int nCameras);

    Confirmation() = delete;
};
