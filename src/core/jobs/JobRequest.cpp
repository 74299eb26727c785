#include "core/jobs/JobRequest.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"

QString JobRequest::folder() const {
    return outputs.isEmpty()
               ? QString()
               : addSeparator(FileObject::shared().GetParentFolderName(outputs.first()));
}
