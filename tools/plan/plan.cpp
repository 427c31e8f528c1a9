// boxview-plan: the printable loading plan of a layout, one PDF page per box in loading order.
#include "tools/plan/plan.h"

#include "scene/scene.h"
#include "tools/common/command_line.h"
#include "tools/common/picture_output.h"
#include "tools/plan/findings.h"

#include <cairo-pdf.h>
#include <cairo.h>

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
    "page par boite dans l'ordre de chargement, avec l'image de l'etape, la position, les\n"
    "dimensions, l'appui et les problemes de la boite.\n"
    "PLAN.pdf vaut - pour ecrire sur la sortie standard ; un lien symbolique est suivi, un\n"
    "fichier existant garde ses droits.\n",
    "Code de sortie : 0 plan ecrit ; 1 image ou PDF impossibles ;\n"
    "2 argument, chargement ou sortie refuses (rien n'est ecrit).\n",
    {{"support", OptionKind::kWhole, "P",
      "pourcentage minimal de la base d'une boite qui doit etre soutenu (0..100)", 0, 100}},
};

constexpr char kFont[] = "Liberation Sans";

constexpr double kMargin = 36;

// Where the picture sits on the first page and on the step pages.
constexpr double kSummaryPictureWidth = 480;

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

// Drops whole UTF-8 characters from the end until the text and an ellipsis fit the width.
std::string fitted(cairo_t* cr, std::string text, double width) {
    if (textWidth(cr, text) <= width) return text;
    while (!text.empty() && textWidth(cr, text + "…") > width) {
        text.pop_back();
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) {
            text.pop_back();
        }
        if (!text.empty() && (static_cast<unsigned char>(text.back()) & 0x80) != 0) text.pop_back();
    }
    return text + "…";
}

// Writes one line with its baseline at y and moves y to the next line.
void line(cairo_t* cr, const Style& style, double x, double& y, const std::string& text,
          double width) {
    useStyle(cr, style);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, fitted(cr, text, width).c_str());
    y += style.size * 1.45;
}

// Writes the lines that fit above bottom; the last one left says how many were left out.
void lines(cairo_t* cr, const Style& style, double x, double& y, double bottom,
           const std::vector<std::string>& texts, double width) {
    const double step = style.size * 1.45;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::size_t left = texts.size() - i;
        if (left > 1 && y + step > bottom) {
            line(cr, style, x, y, "… et " + std::to_string(left) + " autres (voir la page 1)",
                 width);
            return;
        }
        line(cr, style, x, y, texts[i], width);
    }
}

// The window's picture (RGB, top row first) as a cairo image.
OwnedSurface pictureImage(const std::vector<uint8_t>& rgb) {
    OwnedSurface owner(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWindowWidth, kWindowHeight));
    cairo_surface_t* image = owner.get();
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    if (data != nullptr) {
        for (int row = 0; row < kWindowHeight; ++row) {
            auto* out = reinterpret_cast<uint32_t*>(data + static_cast<std::size_t>(row) * stride);
            const uint8_t* in = rgb.data() + static_cast<std::size_t>(row) * kWindowWidth * 3;
            for (int col = 0; col < kWindowWidth; ++col, in += 3) {
                out[col] = uint32_t{in[0]} << 16 | uint32_t{in[1]} << 8 | in[2];
            }
        }
    }
    cairo_surface_mark_dirty(image);
    return owner;
}

// Paints the window's picture with its top-left corner at (x, y), width points wide.
void paintPicture(cairo_t* cr, const std::vector<uint8_t>& rgb, double x, double y, double width) {
    const OwnedSurface image = pictureImage(rgb);
    const double scale = width / kWindowWidth;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, image.get(), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_set_line_width(cr, 0.5);
    cairo_rectangle(cr, x, y, width, width * kWindowHeight / kWindowWidth);
    cairo_stroke(cr);
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

void summaryPage(cairo_t* cr, const PlanOptions& options, const PlanFindings& findings,
                 const std::vector<uint8_t>& picture, int pages) {
    header(cr, options.layout, 1, pages);
    double y = 62;
    line(cr, kTitle, kMargin, y, "Plan de chargement", 500);
    const double top = y - 10;
    paintPicture(cr, picture, kMargin, top, kSummaryPictureWidth);
    const double x = kMargin + kSummaryPictureWidth + 24;
    const double width = kPageWidth - kMargin - x;
    y = top + 12;
    line(cr, kBody, x, y, "Fichier : " + options.layout, width);
    for (const std::string& text : findings.summary) line(cr, kBody, x, y, text, width);
    y += 10;
    line(cr, kHeading, x, y, "Constats du contrôle", width);
    if (findings.problems.empty()) {
        line(cr, kBody, x, y, "Aucun problème trouvé.", width);
    } else {
        lines(cr, kProblem, x, y, kPageHeight - kMargin, findings.problems, width);
    }
}

void stepPage(cairo_t* cr, const PlanOptions& options, const Scene& scene,
              const PlanFindings& findings, const std::vector<uint8_t>& picture, int step) {
    const int count = boxesInTable(scene.boxCount);
    header(cr, options.layout, step + 1, count + 1);
    const double x = kStepPictureLeft;
    paintPicture(cr, picture, x, kStepPictureTop, kStepPictureWidth);
    const double width = kStepPictureWidth;
    double y = kStepPictureTop + kStepPictureWidth * kWindowHeight / kWindowWidth + 26;
    const Box& b = scene.boxes[step];
    line(cr, kStepTitle, x, y,
         "Étape " + std::to_string(step) + " / " + std::to_string(count) + " : boîte " +
             std::to_string(step),
         width);
    line(cr, kBody, x, y, positionText(b), width);
    line(cr, kBody, x, y, dimensionsText(b), width);
    for (const std::string& text : findings.boxCargo[step - 1]) line(cr, kBody, x, y, text, width);
    if (!findings.restsOn[step - 1].empty()) {
        line(cr, kBody, x, y, findings.restsOn[step - 1], width);
    }
    lines(cr, kProblem, x, y, kPageHeight - 14, findings.boxProblems[step - 1], width);
}

cairo_status_t writeToFile(void* file, const unsigned char* data, unsigned int length) {
    return std::fwrite(data, 1, length, static_cast<FILE*>(file)) == length
               ? CAIRO_STATUS_SUCCESS
               : CAIRO_STATUS_WRITE_ERROR;
}

// Draws every page on the surface, stopping at the first error; returns cairo's status.
cairo_status_t drawPages(cairo_surface_t* surface, const PlanOptions& options, const Scene& scene,
                         const PictureMaker& maker) {
    const PlanFindings findings = findPlanFindings(scene, options.supportThreshold);
    const OwnedContext owner(cairo_create(surface));
    cairo_t* cr = owner.get();
    const int count = boxesInTable(scene.boxCount);
    Camera camera;
    ViewState view;
    homeView(camera, view);
    summaryPage(cr, options, findings, drawPicture(maker, scene, view, camera), count + 1);
    cairo_show_page(cr);
    for (int step = 1; step <= count && cairo_status(cr) == CAIRO_STATUS_SUCCESS; ++step) {
        stepPage(cr, options, scene, findings, drawPicture(maker, scene, stepView(step), camera),
                 step);
        cairo_show_page(cr);
    }
    return cairo_status(cr);
}

// Draws every page into the PDF stream. False when cairo reports an error.
bool writePlan(FILE* file, const PlanOptions& options, const Scene& scene,
               const PictureMaker& maker, std::string& error) {
    const OwnedSurface surface(
        cairo_pdf_surface_create_for_stream(writeToFile, file, kPageWidth, kPageHeight));
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE,
                                   ("Plan de chargement : " + options.layout).c_str());
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "boxview-plan");
    cairo_status_t status = drawPages(surface.get(), options, scene, maker);
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
    return writeWithPictures("boxview-plan", options.output, options.layout,
                             [&](const PictureMaker& maker, FILE* file, std::string& failure) {
                                 return writePlan(file, options, scene, maker, failure);
                             });
}
