// boxview-plan: the printable loading plan of a layout, one PDF page per box in loading order.
//
// Sections: the command line and the page's styles; text lines and the lists of findings cut
// into rows and pages; the pictures; the heads of the pages; the pages in order; the PDF.
#include "tools/plan/plan.h"

#include "render/sketch.h"
#include "scene/scene.h"
#include "tools/common/command_line.h"
#include "tools/common/output_file.h"
#include "tools/common/picture_output.h"
#include "tools/common/wording.h"
#include "tools/plan/findings.h"
#include "tools/plan/sketch_pdf.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <ostream>

namespace {

const ToolSpec kPlanTool{
    "boxview-plan",
    "LAYOUT PLAN.pdf",
    2,
    2,
    "il faut un chargement et un plan",
    "Ecrit le plan de chargement d'un fichier de chargement en PDF (A4 paysage) : une page\n"
    "de synthese avec l'image du chargement complet et les constats du controle, puis une\n"
    "page par boite dans l'ordre de chargement, avec l'etape vue en perspective et de dessus\n"
    "(cotes depuis le coin du conteneur), la position, les dimensions, l'appui et les\n"
    "problemes de la boite.\n"
    "PLAN.pdf vaut - pour ecrire sur la sortie standard ; un lien symbolique est suivi, un\n"
    "fichier existant garde ses droits.\n",
    "Code de sortie : 0 plan ecrit ; 1 police introuvable ou PDF impossible ;\n"
    "2 argument, chargement ou sortie refuses (rien n'est ecrit).\n",
    {{"support", OptionKind::kWhole, "P",
      "pourcentage minimal de la base d'une boite qui doit etre soutenu (0..100)", 0, 100}},
};

constexpr char kFont[] = "Liberation Sans";

// A4 landscape, in points.
constexpr double kPageWidth = 841.89;
constexpr double kPageHeight = 595.28;
constexpr double kMargin = 36;

// Where the pictures sit: the whole load on the first page; on a step page, the step in the
// framed view and, beside it, the container seen from above, with the text below both.
constexpr double kSummaryPictureWidth = 480;
constexpr double kStepPictureWidth = 440;
constexpr double kPictureHeight = 330;
constexpr double kStepPictureTop = 52;
constexpr double kTopViewLeft = kMargin + kStepPictureWidth + 20;
constexpr double kTextWidth = kPageWidth - 2 * kMargin;

constexpr double kRed[3] = {0.78, 0.05, 0.05};
constexpr double kBlack[3] = {0, 0, 0};
constexpr double kGrey[3] = {0.4, 0.4, 0.4};

struct Style {
    double size;
    bool bold;
    const double* colour;
};

constexpr Style kTitle{24, true, kBlack};
constexpr Style kStepTitle{16, true, kBlack};
constexpr Style kHeading{13, true, kBlack};
constexpr Style kBody{12, false, kBlack};
constexpr Style kProblem{11, false, kRed};
constexpr Style kHeader{9, false, kGrey};

// Owners of cairo's surfaces and drawing contexts.
struct SurfaceRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextRelease {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using OwnedSurface = std::unique_ptr<cairo_surface_t, SurfaceRelease>;
using OwnedContext = std::unique_ptr<cairo_t, ContextRelease>;

void useStyle(cairo_t* cr, const Style& style) {
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, style.size);
    cairo_set_source_rgb(cr, style.colour[0], style.colour[1], style.colour[2]);
}

double textWidth(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

// A text that does not fit the width loses whole UTF-8 characters from its middle, for an
// ellipsis: a file's name keeps its folder's start and its own end.
std::string fitted(cairo_t* cr, const std::string& text, double width) {
    if (textWidth(cr, text) <= width) return text;
    std::vector<std::size_t> starts;  // where each character starts
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    if (starts.empty()) return "…";
    const auto kept = [&](std::size_t keep) {
        const std::size_t head = keep / 2, tail = keep - head;
        return text.substr(0, starts[head]) + "…" +
               (tail == 0 ? "" : text.substr(starts[starts.size() - tail]));
    };
    // The most characters that fit, found by halving: fewer characters are never wider.
    std::size_t low = 0, high = starts.size() - 1;
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (textWidth(cr, kept(middle)) <= width) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return kept(low);
}

// Writes one line with its baseline at y and moves y to the next line; with no context, only
// moves y, to measure a page before drawing it.
void line(cairo_t* cr, const Style& style, double x, double& y, const std::string& text,
          double width) {
    if (cr != nullptr) {
        useStyle(cr, style);
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, fitted(cr, validUtf8(text), width).c_str());
    }
    y += style.size * 1.45;
}

// A text cut at its spaces into rows that fit the width; the rows after the first are
// indented by kIndent.
constexpr double kIndent = 12;
std::vector<std::string> wrapped(cairo_t* cr, const Style& style, const std::string& text,
                                 double width) {
    useStyle(cr, style);
    std::vector<std::string> rows;
    std::string row;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(at, end - at);
        const double room = rows.empty() ? width : width - kIndent;
        if (!row.empty() && textWidth(cr, row + " " + word) > room) {
            rows.push_back(row);
            row = word;
        } else {
            row += (row.empty() ? "" : " ") + word;
        }
        at = end + 1;
    }
    rows.push_back(row);
    return rows;
}

// Where a page's list of findings goes: its left edge, first baseline, width and bottom.
struct ListArea {
    double x = 0, y = 0, width = 0, bottom = 0;
};

// How many rows of the style fit in the area.
int rowsIn(const ListArea& area, const Style& style) {
    return std::max(0, static_cast<int>((area.bottom - area.y) / (style.size * 1.45)));
}

// A list of findings, each cut into rows.
using Rows = std::vector<std::vector<std::string>>;

Rows rowsOf(cairo_t* cr, const std::vector<std::string>& texts, double width) {
    Rows rows;
    for (const std::string& text : texts) rows.push_back(wrapped(cr, kProblem, text, width));
    return rows;
}

// Which findings of a list a page shows: [from, to), and whether the list goes on overleaf.
struct Slice {
    std::size_t from = 0, to = 0;
    bool more = false;
};

// Splits a list into pages: the first holds firstRoom rows, each next one moreRoom. A page
// that cannot hold the rest keeps its last row for the line that sends the reader on, and a
// finding is never split between pages.
std::vector<Slice> slices(const Rows& list, int firstRoom, int moreRoom) {
    std::vector<Slice> pages;
    std::size_t i = 0;
    int room = firstRoom;
    do {
        Slice page{i, i, false};
        int rest = 0;
        for (std::size_t j = i; j < list.size(); ++j) rest += static_cast<int>(list[j].size());
        if (rest <= room) {
            page.to = list.size();
        } else {
            page.more = true;
            for (int used = 0; page.to < list.size() &&
                               used + static_cast<int>(list[page.to].size()) <= room - 1;) {
                used += static_cast<int>(list[page.to++].size());
            }
            // A finding longer than a whole page still moves the plan on.
            if (page.to == i && !pages.empty()) ++page.to;
        }
        pages.push_back(page);
        i = page.to;
        room = moreRoom;
    } while (i < list.size());
    return pages;
}

// Writes the rows of the slice's findings; when the list goes on, its last line names the
// page that does.
void drawList(cairo_t* cr, ListArea area, const Rows& list, const Slice& slice, int nextPage) {
    for (std::size_t i = slice.from; i < slice.to; ++i) {
        for (std::size_t r = 0; r < list[i].size(); ++r) {
            line(cr, kProblem, area.x + (r > 0 ? kIndent : 0), area.y, list[i][r],
                 area.width - (r > 0 ? kIndent : 0));
        }
    }
    if (slice.more) {
        line(cr, kProblem, area.x, area.y, "… suite à la page " + std::to_string(nextPage),
             area.width);
    }
}

std::string positionText(const Box& b) {
    return "Position : x = " + frenchNumber(b.posX, 0) + ", y = " + frenchNumber(b.posY, 0) +
           ", z = " + frenchNumber(b.posZ, 0);
}

std::string dimensionsText(const Box& b) {
    return "Dimensions : " + frenchDimensions(b.dimX, b.dimY, b.dimZ);
}

void header(cairo_t* cr, const std::string& layout, int page, int pages) {
    double y = 24;
    line(cr, kHeader, kMargin, y, "Plan de chargement : " + layout, 500);
    useStyle(cr, kHeader);
    const std::string number = "page " + std::to_string(page) + " / " + std::to_string(pages);
    cairo_move_to(cr, kPageWidth - kMargin - textWidth(cr, number), 24);
    cairo_show_text(cr, number.c_str());
}

// The pictures of the pages: the palette of the window, and the numbers of the plan's text.
struct Pictures {
    const Scene& scene;
    Palette palette;
};

std::string dimensionNumber(double value) { return frenchNumber(value, 0); }

// The first page but its findings: the title, the picture of the whole load and the totals.
// With no pictures, only measures where the findings go.
ListArea summaryHead(cairo_t* cr, const PlanOptions& options, const PlanFindings& findings,
                     const Pictures* pictures) {
    double y = 62;
    line(cr, kTitle, kMargin, y, "Plan de chargement", 500);
    const double top = y - 10;
    if (pictures != nullptr) {
        drawSketch(cr,
                   stepSketch(pictures->scene, pictures->palette, 0, kSummaryPictureWidth,
                              kSummaryPictureWidth * 3 / 4),
                   kMargin, top);
    }
    const double x = kMargin + kSummaryPictureWidth + 24;
    const double width = kPageWidth - kMargin - x;
    y = top + 12;
    line(cr, kBody, x, y, "Fichier : " + options.layout, width);
    for (const std::string& text : findings.summary) line(cr, kBody, x, y, text, width);
    y += 10;
    line(cr, kHeading, x, y, "Constats du contrôle", width);
    if (findings.problems.empty()) line(cr, kBody, x, y, "Aucun problème trouvé.", width);
    return {x, y, width, kPageHeight - kMargin};
}

std::string stepTitle(int step, int count) {
    return "Étape " + std::to_string(step) + " / " + std::to_string(count) + " : boîte " +
           std::to_string(step);
}

// A step page but the box's problems: the pictures of the step and what the box is. With no
// pictures, only measures where the problems go.
ListArea stepHead(cairo_t* cr, const Scene& scene, const PlanFindings& findings,
                  const Pictures* pictures, int step) {
    const double x = kMargin;
    if (pictures != nullptr) {
        drawSketch(cr,
                   stepSketch(scene, pictures->palette, step, kStepPictureWidth, kPictureHeight), x,
                   kStepPictureTop);
        drawSketch(cr,
                   topSketch(scene, pictures->palette, step, kPageWidth - kMargin - kTopViewLeft,
                             kPictureHeight, dimensionNumber),
                   kTopViewLeft, kStepPictureTop);
    }
    const double width = kTextWidth;
    double y = kStepPictureTop + kPictureHeight + 26;
    const Box& b = scene.boxes[step];
    line(cr, kStepTitle, x, y, stepTitle(step, boxesInTable(scene.boxCount)), width);
    line(cr, kBody, x, y, positionText(b), width);
    line(cr, kBody, x, y, dimensionsText(b), width);
    for (const std::string& text : findings.boxCargo[step - 1]) line(cr, kBody, x, y, text, width);
    if (!findings.restsOn[step - 1].empty()) {
        line(cr, kBody, x, y, findings.restsOn[step - 1], width);
    }
    return {x, y, width, kPageHeight - 14};
}

// A page that goes on with the list of the page before, as wide as there.
ListArea continuedHead(cairo_t* cr, const std::string& title, double x, double width) {
    double y = 62;
    line(cr, kStepTitle, x, y, title + " (suite)", width);
    return {x, y + 4, width, kPageHeight - kMargin};
}

// One page of the plan: step 0 is the first page, and a slice of its list of findings.
struct Page {
    int step = 0;
    bool continued = false;
    Slice slice;
};

// Every page in order: the first page and its continuations, then each step and its own.
std::vector<Page> planPages(const PlanOptions& options, const Scene& scene,
                            const PlanFindings& findings, const std::vector<Rows>& lists) {
    std::vector<Page> pages;
    const int count = boxesInTable(scene.boxCount);
    for (int step = 0; step <= count; ++step) {
        const ListArea area = step == 0 ? summaryHead(nullptr, options, findings, nullptr)
                                        : stepHead(nullptr, scene, findings, nullptr, step);
        const int more = rowsIn(continuedHead(nullptr, "", area.x, area.width), kProblem);
        for (const Slice& slice : slices(lists[step], rowsIn(area, kProblem), more)) {
            pages.push_back({step, slice.from > 0, slice});
        }
    }
    return pages;
}

cairo_status_t writeToFile(void* file, const unsigned char* data, unsigned int length) {
    return std::fwrite(data, 1, length, static_cast<FILE*>(file)) == length
               ? CAIRO_STATUS_SUCCESS
               : CAIRO_STATUS_WRITE_ERROR;
}

// Draws every page on the surface, stopping at the first error; returns cairo's status.
cairo_status_t drawPages(cairo_surface_t* surface, const PlanOptions& options, const Scene& scene) {
    const PlanFindings findings = findPlanFindings(scene, options.supportThreshold);
    const OwnedContext owner(cairo_create(surface));
    cairo_t* cr = owner.get();
    const int count = boxesInTable(scene.boxCount);
    const double summaryWidth = summaryHead(nullptr, options, findings, nullptr).width;
    // The lists of findings, each cut into rows as wide as its page's column.
    std::vector<Rows> lists{rowsOf(cr, findings.problems, summaryWidth)};
    for (int step = 1; step <= count; ++step) {
        lists.push_back(rowsOf(cr, findings.boxProblems[step - 1], kTextWidth));
    }
    const std::vector<Page> pages = planPages(options, scene, findings, lists);
    // The pictures frame the container, whatever its size, from the home view's direction,
    // with the window's colours.
    Pictures pictures{scene, {}};
    Camera camera;
    ViewState view;
    setHomeView(camera, view, pictures.palette);
    for (std::size_t i = 0; i < pages.size() && cairo_status(cr) == CAIRO_STATUS_SUCCESS; ++i) {
        const Page& page = pages[i];
        const int number = static_cast<int>(i) + 1;
        header(cr, options.layout, number, static_cast<int>(pages.size()));
        ListArea area;
        if (page.step == 0) {
            area = page.continued ? continuedHead(cr, "Constats du contrôle", kMargin, summaryWidth)
                                  : summaryHead(cr, options, findings, &pictures);
        } else if (page.continued) {
            area = continuedHead(cr, stepTitle(page.step, count), kMargin, kTextWidth);
        } else {
            area = stepHead(cr, scene, findings, &pictures, page.step);
        }
        drawList(cr, area, lists[page.step], page.slice, number + 1);
        cairo_show_page(cr);
    }
    return cairo_status(cr);
}

// Whether cairo finds the plan's font, rather than its own stroke font that no text tool reads.
bool fontFound() {
    const OwnedSurface surface(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    const OwnedContext owner(cairo_create(surface.get()));
    useStyle(owner.get(), kBody);
    return cairo_scaled_font_get_type(cairo_get_scaled_font(owner.get())) == CAIRO_FONT_TYPE_FT;
}

// Draws every page into the PDF stream. False when the font is missing or cairo reports an
// error.
bool writePlan(FILE* file, const PlanOptions& options, const Scene& scene, std::string& error) {
    if (!fontFound()) {
        error = std::string("boxview-plan : police introuvable pour le texte du plan : ") + kFont;
        return false;
    }
    const OwnedSurface surface(
        cairo_pdf_surface_create_for_stream(writeToFile, file, kPageWidth, kPageHeight));
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE,
                                   validUtf8("Plan de chargement : " + options.layout).c_str());
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "boxview-plan");
    cairo_status_t status = drawPages(surface.get(), options, scene);
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
    if (status != CAIRO_STATUS_SUCCESS) {
        error = std::string("boxview-plan : PDF impossible : ") + cairo_status_to_string(status);
        return false;
    }
    return true;
}

}  // namespace

Error runPlan(const std::vector<std::string>& args, std::ostream& out) {
    CommandLine line;
    const Error start = startTool(kPlanTool, args, out, line);
    if (start.kind != ErrorKind::kNone || line.help) return start;
    PlanOptions options{line.operands[0], line.operands[1]};
    const OptionValue& support = optionValue(kPlanTool, line, "support");
    if (support.given) options.supportThreshold = static_cast<int>(support.number);
    Scene scene;
    if (Error refusal = loadPictureScene(options.layout, scene); refusal.kind != ErrorKind::kNone) {
        return refusal;
    }
    OutputTarget target;
    if (Error refusal = prepareOutput("boxview-plan", options.output, options.layout, target);
        refusal.kind != ErrorKind::kNone) {
        return refusal;
    }
    std::string failure;
    if (!writeOutput(
            "boxview-plan", target,
            [&](FILE* file) { return writePlan(file, options, scene, failure); }, failure)) {
        return {ErrorKind::kFailed, failure};
    }
    return {};
}
