# Shared by scripts/test, scripts/run and scripts/package (sourced): the
# Debian packages the build, the tests, the private reference server and the
# Debian package need, and their installation when missing (apt-get; needs
# root or sudo).

packages=(cmake g++ ninja-build pkg-config qt6-base-dev unixodbc-dev odbc-mariadb mariadb-server
    mariadb-client libgtest-dev libbenchmark-dev xvfb xauth clang libclang-rt-14-dev locales
    zlib1g-dev libx11-dev poppler-utils
    librsvg2-bin desktop-file-utils shared-mime-info man-db dpkg-dev lintian)

install_packages() {
    local missing=() p sudo=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    ((${#missing[@]})) || return 0
    echo "packages: installing ${missing[*]}"
    if ((EUID != 0)); then
        command -v sudo >/dev/null || { echo "packages: run as root or install sudo" >&2; exit 1; }
        sudo=(sudo)
    fi
    # The packaged MariaDB service is not ours to start: keep the package
    # scripts from starting it while it is being installed.
    local policy=/usr/sbin/policy-rc.d added=0
    if [[ ! -e $policy ]]; then
        printf '#!/bin/sh\nexit 101\n' | "${sudo[@]}" tee "$policy" >/dev/null
        "${sudo[@]}" chmod +x "$policy"
        added=1
    fi
    local rc=0
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q || rc=$?
    ((rc)) || "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        "${missing[@]}" || rc=$?
    if ((added)); then "${sudo[@]}" rm -f "$policy"; fi
    ((rc == 0)) || { echo "packages: package installation failed" >&2; exit "$rc"; }
}
