// Where the headless tools write what they make: checks the target first, then writes it whole or not at all.
#include "tools/common/output_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinks = 40;
const int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The named temporary file a signal handler must remove. A handler sees nothing else, so
// this is the one piece of state the process shares; it is set and cleared only while
// the three signals are blocked.
char tempToRemove[PATH_MAX + 1];
volatile sig_atomic_t hasTempToRemove = 0;

void removeTempAndDie(int signal) {
    if (hasTempToRemove) unlink(tempToRemove);
    std::signal(signal, SIG_DFL);
    raise(signal);  // delivered with the default action once this handler returns
}

Error refused(const std::string& tool, const std::string& text) {
    return {ErrorKind::kRefused, tool + " : " + text};
}

Error failed(const std::string& tool, const std::string& text) {
    return {ErrorKind::kFailed, tool + " : " + text};
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// An open file descriptor, closed when its owner goes unless handed on.
struct Descriptor {
    int fd = -1;

    Descriptor() = default;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
};

// A stream, closed when its owner goes; closeStream closes it earlier, to see whether that worked.
struct StreamClose {
    void operator()(FILE* file) const { std::fclose(file); }
};
using OwnedStream = std::unique_ptr<FILE, StreamClose>;

bool closeStream(OwnedStream& stream) { return std::fclose(stream.release()) == 0; }

// Blocks SIGINT, SIGTERM and SIGHUP for its lifetime.
struct SignalsHeld {
    sigset_t previous;
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kCleanedSignals) sigaddset(&set, s);
        sigprocmask(SIG_BLOCK, &set, &previous);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &previous, nullptr); }
};

// A named temporary file that removes itself, also when one of the three signals comes.
struct NamedTemp {
    std::string path;
    struct sigaction previous[3];
    bool armed = false;
    int open(const std::string& folder, const std::string& tool) {
        std::string pattern = folder + "/." + tool + "-XXXXXX";
        if (pattern.size() > PATH_MAX) {
            errno = ENAMETOOLONG;
            return -1;
        }
        SignalsHeld held;
        const int fd = mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) return -1;
        path = pattern;
        std::memcpy(tempToRemove, path.c_str(), path.size() + 1);
        hasTempToRemove = 1;
        struct sigaction action {};
        action.sa_handler = removeTempAndDie;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < 3; ++i) sigaction(kCleanedSignals[i], &action, &previous[i]);
        armed = true;
        return fd;
    }
    // Renames the file over target; false (file removed) when that fails.
    bool moveTo(const std::string& target) {
        SignalsHeld held;
        const bool moved = std::rename(path.c_str(), target.c_str()) == 0;
        const int saved = errno;
        disarm(!moved);
        errno = saved;
        return moved;
    }
    void disarm(bool remove) {
        if (!armed) return;
        if (remove) unlink(path.c_str());
        hasTempToRemove = 0;
        for (int i = 0; i < 3; ++i) sigaction(kCleanedSignals[i], &previous[i], nullptr);
        armed = false;
    }
    ~NamedTemp() {
        SignalsHeld held;
        disarm(true);
    }
};

// Gives an unnamed file (O_TMPFILE) the target's name. A new target is linked in directly;
// an existing one is replaced through a short-lived link renamed over it.
bool linkUnnamed(int fd, const OutputTarget& target, const std::string& tool) {
    const std::string source = "/proc/self/fd/" + std::to_string(fd);
    auto linkAs = [&](const std::string& name) {
        if (linkat(AT_FDCWD, source.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return true;
        }
        return errno != EEXIST && linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0;
    };
    SignalsHeld held;
    if (!target.exists && linkAs(target.path)) return true;
    if (!target.exists && errno != EEXIST) return false;
    const std::string base = folderOf(target.path) + "/." + tool + "-" + std::to_string(getpid());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = base + "-" + std::to_string(attempt);
        if (!linkAs(name)) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (std::rename(name.c_str(), target.path.c_str()) == 0) return true;
        const int saved = errno;
        unlink(name.c_str());
        errno = saved;
        return false;
    }
    errno = EEXIST;
    return false;
}

// Runs fill on the stream and flushes it. On failure, error keeps the reason fill gave, or
// else says what failed, with the system's reason when the flush gave one.
bool filled(const std::function<bool(FILE*)>& fill, FILE* file, const std::string& what,
            std::string& error) {
    const bool written = fill(file);
    const bool flushed = std::fflush(file) == 0;
    const int reason = errno;
    if (written && flushed && !std::ferror(file)) return true;
    if (error.empty()) error = what + (flushed ? "" : std::string(" : ") + std::strerror(reason));
    return false;
}

}  // namespace

Error prepareOutput(const std::string& tool, const std::string& name, const std::string& layout,
                    OutputTarget& target) {
    const bool allowUnnamed = target.allowUnnamed;
    target = OutputTarget{};
    target.allowUnnamed = allowUnnamed;
    target.name = name;
    if (name == "-") {
        target.toStandardOutput = true;
        return {};
    }
    if (name.empty()) return refused(tool, "nom de sortie vide");
    std::string path = name;
    struct stat info {};
    int links = 0;
    for (;; ++links) {
        if (lstat(path.c_str(), &info) != 0) {
            if (errno == ENOENT) break;
            return failed(tool, "impossible d'ecrire " + name + " : " + std::strerror(errno));
        }
        if (!S_ISLNK(info.st_mode)) {
            target.exists = true;
            break;
        }
        if (links == kMaxLinks) {
            return refused(tool, "sortie refusee, trop de liens symboliques : " + name);
        }
        char buffer[PATH_MAX + 1];
        const ssize_t length = readlink(path.c_str(), buffer, PATH_MAX);
        if (length <= 0) return refused(tool, "lien illisible : " + path);
        const std::string next(buffer, static_cast<std::size_t>(length));
        path = next[0] == '/' ? next : folderOf(path) + "/" + next;
    }
    target.path = path;
    if (target.exists) {
        struct stat input {};
        if (!S_ISREG(info.st_mode)) {
            return refused(tool, "sortie refusee, ce n'est pas un fichier ordinaire : " + name);
        }
        if (stat(layout.c_str(), &input) == 0 && input.st_dev == info.st_dev &&
            input.st_ino == info.st_ino) {
            return refused(tool, "sortie refusee, c'est le fichier du chargement : " + name);
        }
        // A file with no write permission at all is read-only for everyone, root included.
        if (access(path.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0) {
            return refused(tool, "sortie refusee, fichier protege en ecriture : " + name);
        }
        target.mode = info.st_mode & 07777;
        target.owner = info.st_uid;
        target.group = info.st_gid;
    }
    const std::string folder = folderOf(path);
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return failed(tool, "impossible d'ecrire dans " + folder + " : " + std::strerror(errno));
    }
    // In a sticky folder (/tmp), only the file's owner, the folder's or root may replace it.
    struct stat where {};
    const uid_t user = geteuid();
    if (target.exists && stat(folder.c_str(), &where) == 0 && (where.st_mode & S_ISVTX) != 0 &&
        user != 0 && user != info.st_uid && user != where.st_uid) {
        return refused(tool,
                       "sortie refusee, fichier d'un autre utilisateur dans un dossier "
                       "protege : " +
                           name);
    }
    return {};
}

bool writeOutput(const std::string& tool, const OutputTarget& target,
                 const std::function<bool(FILE*)>& fill, std::string& error) {
    error.clear();
    if (target.toStandardOutput) {
        return filled(fill, stdout, tool + " : ecriture impossible sur la sortie standard", error);
    }
    const std::string folder = folderOf(target.path);
    NamedTemp named;
    Descriptor descriptor;
    if (target.allowUnnamed) {
        descriptor.fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    }
    const bool unnamed = descriptor.fd >= 0;
    if (!unnamed) descriptor.fd = named.open(folder, tool);
    const int fd = descriptor.fd;
    if (fd < 0) {
        error = tool + " : impossible d'ecrire dans " + folder + " : " + std::strerror(errno);
        return false;
    }
    mode_t mode = target.mode;
    if (!target.exists) {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    } else if (geteuid() == 0) {
        (void)!fchown(fd, target.owner, target.group);
    }
    fchmod(fd, mode);
    OwnedStream stream(fdopen(fd, "wb"));
    if (stream == nullptr) {
        error = tool + " : impossible d'ecrire dans " + folder + " : " + std::strerror(errno);
        return false;
    }
    descriptor.fd = -1;  // the stream closes it now
    if (!filled(fill, stream.get(), tool + " : ecriture impossible : " + target.name, error)) {
        return false;
    }
    bool placed = unnamed ? linkUnnamed(fd, target, tool) : true;
    const int linkError = errno;
    placed = closeStream(stream) && placed;
    if (placed && !unnamed) placed = named.moveTo(target.path);
    if (!placed) {
        error = tool + " : impossible de creer " + target.name + " : " +
                std::strerror(unnamed ? linkError : errno);
        return false;
    }
    return true;
}
