#include "platform/runtime/SystemErrors.h"

#include <cerrno>

namespace {
thread_local uint32_t t_LastError = ERROR_SUCCESS;
}

uint32_t GetLastError()
{
    return t_LastError;
}

void SetLastError(uint32_t code)
{
    t_LastError = code;
}

uint32_t ErrorFromErrno(int err)
{
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EMFILE: case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES: case EPERM: case EISDIR: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ENXIO: case ENODEV: case ENOMEDIUM: return ERROR_NOT_READY;
    case EBUSY: case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EAGAIN: return ERROR_LOCK_VIOLATION;
    case EOPNOTSUPP: return ERROR_NOT_SUPPORTED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOSPC: case EDQUOT: return ERROR_DISK_FULL;
    case EILSEQ: return ERROR_INVALID_NAME;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EFBIG: case EOVERFLOW: return ERROR_FILE_TOO_LARGE;
    case EIO: return ERROR_IO_DEVICE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    default: return ERROR_GEN_FAILURE;
    }
}

uint32_t SetLastErrorFromErrno()
{
    uint32_t code = ErrorFromErrno(errno);
    SetLastError(code);
    return code;
}

std::string SysErrorMessage(uint32_t code)
{
    switch (code) {
    case ERROR_SUCCESS: return "L'opération a réussi.";
    case ERROR_FILE_NOT_FOUND: return "Le fichier spécifié est introuvable.";
    case ERROR_PATH_NOT_FOUND: return "Le chemin d'accès spécifié est introuvable.";
    case ERROR_TOO_MANY_OPEN_FILES: return "Le système ne peut pas ouvrir le fichier.";
    case ERROR_ACCESS_DENIED: return "Accès refusé.";
    case ERROR_INVALID_HANDLE: return "Descripteur non valide.";
    case ERROR_NOT_ENOUGH_MEMORY: return "Espace de stockage insuffisant pour traiter cette commande.";
    case ERROR_NOT_SAME_DEVICE: return "Le système ne peut pas déplacer le fichier vers une autre unité de disque.";
    case ERROR_NO_MORE_FILES: return "Il n'y a plus de fichier.";
    case ERROR_WRITE_PROTECT: return "Le support est protégé en écriture.";
    case ERROR_NOT_READY: return "Le périphérique n'est pas prêt.";
    case ERROR_GEN_FAILURE: return "Un périphérique attaché au système ne fonctionne pas correctement.";
    case ERROR_SHARING_VIOLATION:
        return "Le processus ne peut pas accéder au fichier car ce fichier est utilisé par un autre processus.";
    case ERROR_LOCK_VIOLATION:
        return "Le processus ne peut pas accéder au fichier car un autre processus en a verrouillé une partie.";
    case ERROR_NOT_SUPPORTED: return "Cette demande n'est pas prise en charge.";
    case ERROR_NETWORK_ACCESS_DENIED: return "Accès au réseau refusé.";
    case ERROR_FILE_EXISTS: return "Le fichier existe.";
    case ERROR_INVALID_PARAMETER: return "Paramètre incorrect.";
    case ERROR_DISK_FULL: return "Espace insuffisant sur le disque.";
    case ERROR_INVALID_NAME: return "La syntaxe du nom de fichier, de répertoire ou de volume est incorrecte.";
    case ERROR_DIR_NOT_EMPTY: return "Le répertoire n'est pas vide.";
    case ERROR_ALREADY_EXISTS: return "Impossible de créer un fichier déjà existant.";
    case ERROR_BAD_EXE_FORMAT: return "Ce fichier n'est pas un programme valide.";
    case ERROR_FILENAME_EXCED_RANGE: return "Le nom du fichier ou de l'extension est trop long.";
    case ERROR_FILE_TOO_LARGE: return "La taille du fichier dépasse la limite autorisée.";
    case ERROR_DIRECTORY: return "Nom de répertoire non valide.";
    case ERROR_IO_DEVICE: return "La demande n'a pas pu être exécutée en raison d'une erreur de périphérique d'E/S.";
    case ERROR_CANT_RESOLVE_FILENAME: return "Le nom du fichier ne peut pas être résolu par le système.";
    default: return "Erreur système " + std::to_string(code) + ".";
    }
}
