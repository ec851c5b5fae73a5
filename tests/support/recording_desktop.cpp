#include "support/recording_desktop.h"

void RecordingDesktop::message(const QString& text, Box kind) {
    events.append({QStringLiteral("message"), text, kind});
    if (while_message_shown)
        while_message_shown();
}

bool RecordingDesktop::confirm(const QString& text) {
    events.append({QStringLiteral("confirm"), text});
    if (confirm_answers.empty())
        return false;
    const bool answer = confirm_answers.front();
    confirm_answers.pop_front();
    return answer;
}

void RecordingDesktop::beep() {
    events.append({QStringLiteral("beep"), {}});
}

std::optional<quint32> RecordingDesktop::choose_color(quint32 initial_rgb) {
    events.append({QStringLiteral("color"), QString::number(initial_rgb, 16)});
    if (color_answers.empty())
        return std::nullopt;
    auto answer = color_answers.front();
    color_answers.pop_front();
    return answer;
}

bool RecordingDesktop::print_text(const QString& title, const QString& text, int point_size) {
    events.append(
        {QStringLiteral("print_text"),
         title + QLatin1Char('|') + QString::number(point_size) + QLatin1Char('|') + text});
    if (print_answers.empty())
        return false;
    const bool answer = print_answers.front();
    print_answers.pop_front();
    return answer;
}

bool RecordingDesktop::print_image(const QString& title, const QImage&) {
    events.append({QStringLiteral("print_image"), title});
    if (print_answers.empty())
        return false;
    const bool answer = print_answers.front();
    print_answers.pop_front();
    return answer;
}

namespace {

class RecordedTextJob : public TextPrintJob {
public:
    explicit RecordedTextJob(RecordingDesktop& desktop) : desktop_(desktop) {}
    void write_line(const QString& line) override { desktop_.printed_lines << line; }
    void close() override { desktop_.events.append({QStringLiteral("print_close"), {}}); }

private:
    RecordingDesktop& desktop_;
};

} // namespace

std::unique_ptr<TextPrintJob>
RecordingDesktop::open_text_job(const QString& title, const QString& font_family, int point_size) {
    events.append(
        {QStringLiteral("print_job"),
         title + QLatin1Char('|') + font_family + QLatin1Char('|') + QString::number(point_size)});
    const bool answer = !print_answers.empty() && print_answers.front();
    if (!print_answers.empty())
        print_answers.pop_front();
    if (!answer)
        return nullptr;
    return std::make_unique<RecordedTextJob>(*this);
}

bool RecordingDesktop::print_dialog(QPrinter& printer) {
    events.append({QStringLiteral("print_dialog"), {}});
    if (print_answers.empty())
        return false;
    const bool answer = print_answers.front();
    print_answers.pop_front();
    if (answer && choose_printer)
        choose_printer(printer);
    return answer;
}

bool RecordingDesktop::open_url(const QString& url) {
    events.append({QStringLiteral("open_url"), url});
    return open_url_answer;
}

void RecordingDesktop::show_help_contents() {
    events.append({QStringLiteral("help"), {}});
}

bool RecordingDesktop::set_wallpaper(const QString& bitmap_path, WallpaperStyle style) {
    events.append({QStringLiteral("wallpaper"),
                   bitmap_path + QLatin1Char('|') + QString::number(int(style))});
    return wallpaper_answer;
}

QStringList RecordingDesktop::messages() const {
    QStringList texts;
    for (const auto& e : events)
        if (e.kind == QLatin1String("message"))
            texts << e.text;
    return texts;
}

QStringList RecordingDesktop::log() const {
    QStringList lines;
    for (const auto& e : events)
        lines << (e.text.isEmpty() ? e.kind : e.kind + QStringLiteral(": ") + e.text);
    return lines;
}

int RecordingDesktop::count(const QString& kind) const {
    int n = 0;
    for (const auto& e : events)
        n += e.kind == kind;
    return n;
}
