#include "config/RecordingSourceHelp.h"

#include <QLabel>

namespace {

QString lines(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* l : list) out << QString::fromUtf8(l);
    return out.join('\n');
}

}  // namespace

const QStringList& recordingSourceHelpTexts()
{
    static const QStringList texts{
        lines({"Record from the computer's own audio:", "", "1) Audio from music and video players, ",
               "web browsers, CD/DVD player software, ",
               "streaming Internet radio...",
               "Select \"Monitor of\" and the name of the output ",
               "you listen on. Every output has its own monitor, ",
               "for example: \"Monitor of Built-in Audio ",
               "Analog Stereo\". ", "",
               "2) Choose the output format and set its ",
               "parameters. Set the output directory for your files.", "",
               "3) Click the Record Button to begin recording"}),
        lines({"Record from Microphone", "", "1) Select \"Microphone\" or the equivalent in the ",
               "Recording Device list. Adjust the recording ",
               "volume for the lowest possible performance. ", "",
               "2)  Choose the output format and set its ",
               "parameters. Set the output directory for your files.", "",
               "3) Click the \"Record\" Button to begin recording ", "sound from the mic. ", ""}),
        lines({"Record from external audio sources:", "",
               "1) Select \"Line-In\" or the equivalent in the ",
               "Recording Device list. Adjust the recording ",
               "volume for the lowest possible performance. ", "",
               "2) Choose the output format and set its ",
               "parameters. Set the output directory for your files.", "",
               "3) Click the Record Button to begin recording. "}),
        lines({"Record from TVtuner:", "", "1) Please select the TV card's own input, or ",
               "\"Line-In\" where its audio cable plugs in.", "",
               "2) Choose the output format and set its ",
               "parameters. Set the output directory for your files.", "",
               "3) Click the Record Button to begin recording. ", ""}),
    };
    return texts;
}

void RecordingSourceHelp::attach(QLabel* label)
{
    label_ = label;
    show(0);
}

void RecordingSourceHelp::show(int index)
{
    const int n = int(recordingSourceHelpTexts().size());
    index_ = (index % n + n) % n;
    label_->setText(recordingSourceHelpTexts().at(index_));
}
