'''UDisks2 as far as the mount uses it: the file system of each drive in MOUNTS mounts, or refuses so.'''
import dbusmock

BUS_NAME, MAIN_OBJ, SYSTEM_BUS = 'org.freedesktop.UDisks2', '/org/freedesktop/UDisks2/Manager', True
MAIN_IFACE = 'org.freedesktop.UDisks2.Manager'
BLOCKS, ERROR = '/org/freedesktop/UDisks2/block_devices/', 'org.freedesktop.UDisks2.Error.'
MOUNTS = {'sr0': "ret = '/media/user/DISC'", 'sr1': 'NotAuthorizedCanObtain', 'sr2': 'Failed', 'sr3': 'AlreadyMounted'}

def load(mock, _parameters):
    found = f"'{BLOCKS}' + args[0]['path'][len('/dev/'):]"
    mock.AddMethod(MAIN_IFACE, 'ResolveDevice', 'a{sv}a{sv}', 'ao', f'ret = [{found}] if {found} in objects else []')
    for name, outcome in MOUNTS.items():
        mock.AddObject(BLOCKS + name, 'org.freedesktop.UDisks2.Block', {}, [])
        refusal = f"raise dbus.exceptions.DBusException('refused by the test', name='{ERROR}{outcome}')"
        dbusmock.get_object(BLOCKS + name).AddMethod('org.freedesktop.UDisks2.Filesystem', 'Mount', 'a{sv}', 's',
                                                     outcome if outcome.startswith('ret') else refusal)
