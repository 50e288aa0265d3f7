// A passthrough file system that makes every call wait: the stand-in for a network share or a
// card reader in the slow-volume benchmark. It shows a backing folder at a mount point, answers
// every call after a fixed delay, and refuses what many SMB shares refuse: rename flags
// (EINVAL, as FUSE, NFS and CIFS answer them) and hard links (EPERM).
//
//   slowfs <backing folder> <mount point> <delay in microseconds>
//
// It runs in the foreground until the mount point is unmounted or it is told to stop (SIGINT,
// SIGTERM), and serves calls on several threads, as a server has several requests in flight.

#define FUSE_USE_VERSION FUSE_MAKE_VERSION(3, 12)

#include <fuse.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace {

int g_backing = -1;
std::chrono::microseconds g_delay{1000};

// Every call waits first, as one round trip to the server would.
const char *roundTrip(const char *path)
{
    std::this_thread::sleep_for(g_delay);
    while (*path == '/')
        ++path;
    return *path ? path : ".";
}

int result(int returned)
{
    return returned < 0 ? -errno : 0;
}

int getAttributes(const char *path, struct stat *st, fuse_file_info *)
{
    return result(::fstatat(g_backing, roundTrip(path), st, AT_SYMLINK_NOFOLLOW));
}

int readLink(const char *path, char *buffer, size_t size)
{
    const ssize_t length = ::readlinkat(g_backing, roundTrip(path), buffer, size - 1);
    if (length < 0)
        return -errno;
    buffer[length] = '\0';
    return 0;
}

int readFolder(const char *path, void *buffer, fuse_fill_dir_t fill, off_t, fuse_file_info *, fuse_readdir_flags)
{
    const int fd = ::openat(g_backing, roundTrip(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return -ENOMEM;
    }
    while (const dirent *entry = ::readdir(dir)) {
        struct stat st {};
        st.st_ino = entry->d_ino;
        st.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (fill(buffer, entry->d_name, &st, 0, fuse_fill_dir_flags(0)))
            break;
    }
    ::closedir(dir);
    return 0;
}

int makeFolder(const char *path, mode_t mode)
{
    return result(::mkdirat(g_backing, roundTrip(path), mode));
}

int removeFile(const char *path)
{
    return result(::unlinkat(g_backing, roundTrip(path), 0));
}

int removeFolder(const char *path)
{
    return result(::unlinkat(g_backing, roundTrip(path), AT_REMOVEDIR));
}

int makeLink(const char *target, const char *path)
{
    return result(::symlinkat(target, g_backing, roundTrip(path)));
}

int rename(const char *from, const char *to, unsigned int flags)
{
    const char *source = roundTrip(from);
    if (flags)
        return -EINVAL;
    const char *target = to;
    while (*target == '/')
        ++target;
    return result(::renameat(g_backing, source, g_backing, target));
}

int hardLink(const char *, const char *)
{
    std::this_thread::sleep_for(g_delay);
    return -EPERM;
}

int changeMode(const char *path, mode_t mode, fuse_file_info *)
{
    return result(::fchmodat(g_backing, roundTrip(path), mode, 0));
}

int truncate(const char *path, off_t size, fuse_file_info *fi)
{
    const char *relative = roundTrip(path);
    if (fi)
        return result(::ftruncate(static_cast<int>(fi->fh), size));
    const int fd = ::openat(g_backing, relative, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    const int done = result(::ftruncate(fd, size));
    ::close(fd);
    return done;
}

int setTimes(const char *path, const timespec times[2], fuse_file_info *)
{
    return result(::utimensat(g_backing, roundTrip(path), times, AT_SYMLINK_NOFOLLOW));
}

int open(const char *path, fuse_file_info *fi)
{
    const int fd = ::openat(g_backing, roundTrip(path), fi->flags | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int create(const char *path, mode_t mode, fuse_file_info *fi)
{
    const int fd = ::openat(g_backing, roundTrip(path), fi->flags | O_CREAT | O_CLOEXEC, mode);
    if (fd < 0)
        return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int read(const char *path, char *buffer, size_t size, off_t offset, fuse_file_info *fi)
{
    roundTrip(path ? path : "");
    const ssize_t delivered = ::pread(static_cast<int>(fi->fh), buffer, size, offset);
    return delivered < 0 ? -errno : static_cast<int>(delivered);
}

int write(const char *path, const char *buffer, size_t size, off_t offset, fuse_file_info *fi)
{
    roundTrip(path ? path : "");
    const ssize_t written = ::pwrite(static_cast<int>(fi->fh), buffer, size, offset);
    return written < 0 ? -errno : static_cast<int>(written);
}

int fileSystemFacts(const char *path, struct statvfs *facts)
{
    roundTrip(path);
    return result(::fstatvfs(g_backing, facts));
}

// A share's close is a round trip of its own.
int flush(const char *path, fuse_file_info *)
{
    roundTrip(path ? path : "");
    return 0;
}

int release(const char *path, fuse_file_info *fi)
{
    roundTrip(path ? path : "");
    ::close(static_cast<int>(fi->fh));
    return 0;
}

void *start(fuse_conn_info *, fuse_config *config)
{
    // Paths, not inode numbers: the file system keeps no table of its own.
    config->use_ino = 0;
    config->nullpath_ok = 0;
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: slowfs <backing folder> <mount point> <delay in microseconds>\n");
        return 2;
    }
    g_backing = ::open(argv[1], O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (g_backing < 0) {
        std::perror(argv[1]);
        return 1;
    }
    g_delay = std::chrono::microseconds(std::atol(argv[3]));

    fuse_operations operations {};
    operations.getattr = getAttributes;
    operations.readlink = readLink;
    operations.mkdir = makeFolder;
    operations.unlink = removeFile;
    operations.rmdir = removeFolder;
    operations.symlink = makeLink;
    operations.rename = rename;
    operations.link = hardLink;
    operations.chmod = changeMode;
    operations.truncate = truncate;
    operations.open = open;
    operations.read = read;
    operations.write = write;
    operations.statfs = fileSystemFacts;
    operations.flush = flush;
    operations.release = release;
    operations.readdir = readFolder;
    operations.init = start;
    operations.create = create;
    operations.utimens = setTimes;

    char name[] = "slowfs";
    char options[] = "-o";
    char mountOptions[] = "fsname=slowfs,subtype=slowfs";
    char *fuseArgs[] = {name, options, mountOptions, nullptr};
    fuse_args args = FUSE_ARGS_INIT(3, fuseArgs);
    fuse *fileSystem = fuse_new(&args, &operations, sizeof operations, nullptr);
    if (!fileSystem)
        return 1;
    if (fuse_mount(fileSystem, argv[2]) != 0) {
        fuse_destroy(fileSystem);
        return 1;
    }
    fuse_set_signal_handlers(fuse_get_session(fileSystem));
    // Enough threads for every request the batch and its readers have in flight at once.
    fuse_loop_config *loop = fuse_loop_cfg_create();
    fuse_loop_cfg_set_max_threads(loop, 32);
    fuse_loop_cfg_set_idle_threads(loop, 16);
    const int served = fuse_loop_mt(fileSystem, loop);
    fuse_loop_cfg_destroy(loop);
    fuse_remove_signal_handlers(fuse_get_session(fileSystem));
    fuse_unmount(fileSystem);
    fuse_destroy(fileSystem);
    return served == 0 ? 0 : 1;
}
